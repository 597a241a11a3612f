// Times the catalogue code natively on a synthetic catalogue of about 8 MiB and 200,000 lines:
// the parse of the bytes, the whole load from a file, and 1,000 lookups, each against a memchr
// line count over the same bytes, the least any line parser must do. Runs alternate and the
// medians are printed as key=value pairs. Every lookup's text is checked, so a fast wrong
// parser fails here instead of winning.
//
//   catalogue_bench FILE [ROUNDS]    FILE is written, then read back by the product's loader
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "msg/Clwinmsgfile.h"
#include "sys/Setupapifun.h"

namespace {

const size_t kTargetBytes = 8u << 20;
const int kLookups = 1000;

struct Catalogue {
  std::string bytes;
  std::vector<int32_t> ids;          // in file order
  std::vector<std::string> texts;    // expanded, as a lookup must return them
};

uint32_t gSeed = 12345;
uint32_t Random() {
  gSeed = gSeed * 1103515245u + 12345u;
  return gSeed >> 8;
}

// Lines of the form "<id> <text>" with CR LF ends, ids shuffled, one text in eight with an
// escape, until the size is reached. Identifiers are unique, so each lookup has one answer.
Catalogue MakeCatalogue() {
  static const char* const words[] = {"Delete", "Remove", "Folder", "Uninstall", "Compelete",
                                      "Cancel", "Service", "Registry", "Setup", "Install",
                                      "Tarvolink", "%s", "file", "not", "Quit", "?"};
  Catalogue cat;
  std::vector<int32_t> pool(230000);
  for (size_t i = 0; i < pool.size(); ++i) pool[i] = static_cast<int32_t>(10000 + i);
  for (size_t i = pool.size() - 1; i > 0; --i) std::swap(pool[i], pool[Random() % (i + 1)]);
  cat.bytes.reserve(kTargetBytes + 128);
  for (size_t next = 0; cat.bytes.size() < kTargetBytes && next < pool.size(); ++next) {
    std::string raw, expanded;
    const int count = 3 + static_cast<int>(Random() % 5);
    for (int w = 0; w < count; ++w) {
      const char* word = words[Random() % 16];
      if (w) {
        const bool escape = Random() % 64 == 0;
        raw += escape ? "\\n" : " ";
        expanded += escape ? "\n" : " ";
      }
      raw += word;
      expanded += word;
    }
    std::string line = std::to_string(pool[next]) + " " + raw + "\r\n";
    if (cat.bytes.size() + line.size() > kTargetBytes) break;
    cat.bytes += line;
    cat.ids.push_back(pool[next]);
    cat.texts.push_back(expanded);
  }
  return cat;
}

double Ms(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

volatile size_t gSink;

// The parser's passes one at a time, to show which of them the time goes to.
class PassProbe : public TclMsgFile {
public:
  void Time(char* block, int32_t length, double& terminate, double& count) {
    using clock = std::chrono::steady_clock;
    Buffer.Reset(block);
    BufferLength = length;
    const auto a = clock::now();
    TerminateLines();
    const auto b = clock::now();
    gSink = static_cast<size_t>(CountLines());
    const auto c = clock::now();
    terminate = Ms(a, b);
    count = Ms(b, c);
  }
};

size_t CountLines(const char* data, size_t size) {
  size_t count = 0;
  const char* end = data + size;
  for (const char* p = data; (p = static_cast<const char*>(std::memchr(p, '\n', end - p))); ++p)
    ++count;
  return count;
}

char* FreshBlock(const std::string& bytes) {
  char* block = static_cast<char*>(AllocZeroed(static_cast<uint32_t>(bytes.size() + 1)));
  if (block) std::memcpy(block, bytes.data(), bytes.size());
  return block;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: catalogue_bench FILE [ROUNDS]\n");
    return 2;
  }
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
  const Catalogue cat = MakeCatalogue();
  if (FILE* out = std::fopen(argv[1], "wb")) {
    std::fwrite(cat.bytes.data(), 1, cat.bytes.size(), out);
    std::fclose(out);
  } else {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }

  std::vector<int32_t> wanted;
  std::vector<std::string> expected;
  for (int i = 0; i < kLookups; ++i) {
    const size_t at = Random() % cat.ids.size();
    wanted.push_back(cat.ids[at]);
    expected.push_back(cat.texts[at]);
  }

  std::vector<double> count, parse, load, lookup, terminatePass, countPass;
  TclMsgFile file;
  for (int r = 0; r < rounds; ++r) {
    using clock = std::chrono::steady_clock;
    // Alternate which of the pair goes first, so that neither always finds the caches warm.
    for (int turn = 0; turn < 2; ++turn) {
      if ((turn == 0) == (r % 2 == 0)) {
        const auto a = clock::now();
        gSink = CountLines(cat.bytes.data(), cat.bytes.size());
        count.push_back(Ms(a, clock::now()));
      } else {
        char* block = FreshBlock(cat.bytes);
        if (!block) return 1;
        TclMsgFile parsed;
        const auto a = clock::now();
        parsed.AdoptBuffer(block, static_cast<int32_t>(cat.bytes.size()));
        parse.push_back(Ms(a, clock::now()));
      }
    }
    {
      char* block = FreshBlock(cat.bytes);
      if (!block) return 1;
      PassProbe probe;
      double t = 0, c = 0;
      probe.Time(block, static_cast<int32_t>(cat.bytes.size()), t, c);
      terminatePass.push_back(t);
      countPass.push_back(c);
    }
    auto a = clock::now();
    if (!file.LoadFromFile(argv[1])) {
      std::fprintf(stderr, "the catalogue did not load\n");
      return 1;
    }
    load.push_back(Ms(a, clock::now()));
    a = clock::now();
    size_t total = 0;
    for (int32_t id : wanted) total += file.MessageText(id).size();
    lookup.push_back(Ms(a, clock::now()));
    gSink = total;
  }

  int wrong = 0;
  for (int i = 0; i < kLookups; ++i)
    if (file.MessageText(wanted[i]) != expected[i]) ++wrong;
  if (file.EntryCount != static_cast<int32_t>(cat.ids.size()) || wrong) {
    std::fprintf(stderr, "catalogue parsed wrong: %d rows for %zu lines, %d of %d lookups wrong\n",
                 file.EntryCount, cat.ids.size(), wrong, kLookups);
    return 1;
  }
  std::printf("bytes=%zu lines=%zu rows=%d linecount_ms=%.3f parse_ms=%.3f load_ms=%.3f "
              "lookup_ms=%.3f terminate_ms=%.3f count_ms=%.3f rows_ms=%.3f\n",
              cat.bytes.size(), CountLines(cat.bytes.data(), cat.bytes.size()), file.EntryCount,
              Median(count), Median(parse), Median(load), Median(lookup), Median(terminatePass),
              Median(countPass), Median(parse) - Median(terminatePass) - Median(countPass));
  return 0;
}
