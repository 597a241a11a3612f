// The toolkit's base exception: a message for the standard exception box. Product code throws
// nothing; this is what the entry point and the window procedures are prepared to meet.
#pragma once
#include <exception>
#include <string>

class Exception : public std::exception {
public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const noexcept { return message_; }

private:
  std::string message_;
};
