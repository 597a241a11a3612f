// A throwaway installation of the product inside the Wine prefix's temporary folder: the folder
// with a few of the product's files, its uninstall entry pointing there and its maker key. Every
// test that runs a real uninstall works on one of these, so nothing outside it can be removed.
#pragma once
#include <string>
#include <vector>

#include "unit/sys/WinFiles.h"

class Throwaway {
public:
  explicit Throwaway(const std::string& tag);
  ~Throwaway();
  Throwaway(const Throwaway&) = delete;
  Throwaway& operator=(const Throwaway&) = delete;

  const std::string& Root() const { return root_; }        // the temporary folder of this test
  std::string InInstall(const std::string& name) const { return inst_ + "\\" + name; }
  bool Exists(const std::string& name) const;   // a file or folder where the product "is"
  static bool UninstallKeyExists();
  static bool ProductKeyExists();
  void Write(const std::string& path, const std::string& bytes) const;

  // The product's files that a complete run removes.
  static const std::vector<std::string>& PlantedFiles();

private:
  std::string root_;
  std::string inst_;
};
