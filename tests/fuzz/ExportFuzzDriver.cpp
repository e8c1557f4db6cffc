#include "tests/fuzz/ExportFuzzDriver.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string_view>
#include <system_error>
#include <vector>

#include "export/StagedFiles.h"
#include "numerics/Errors.h"
#include "tests/export/SyscallFaults.h"

namespace fs = std::filesystem;

namespace {

constexpr int MaxEvents = 48;
constexpr size_t FilesPerSet = 6;
constexpr std::array<const char*, FilesPerSet> Suffixes = {"-low.wav", "-mid.wav",   "-high.wav",
                                                           "-sum.wav", "-shelf.wav", "-summary.txt"};
constexpr std::array<int, 6> Errors = {EBUSY, EACCES, EPERM, EXDEV, EIO, ENOSPC};

std::string SetName(int set, size_t file) {
  // The second set's longest name is exactly the 255 bytes a name may have.
  const std::string prefix = set == 0 ? "xo" : std::string(255 - std::strlen("-summary.txt"), 'p');
  return prefix + Suffixes[file];
}

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// What the directory holds, one level into subdirectories: regular files by content, links by
// where they lead, the rest by kind.
using Listing = std::map<std::string, std::string>;

Listing List(const fs::path& directory, const std::string& under = "") {
  Listing listing;
  for (const auto& entry : fs::directory_iterator(directory)) {
    const std::string name = under + entry.path().filename().string();
    if (entry.is_symlink()) {
      listing[name] = "-> " + fs::read_symlink(entry.path()).string();
    } else if (entry.is_directory()) {
      listing[name] = "<dir>";
      if (under.empty()) listing.merge(List(entry.path(), name + "/"));
    } else if (entry.is_regular_file()) {
      listing[name] = ReadAll(entry.path());
    } else {
      listing[name] = "<other>";
    }
  }
  return listing;
}

class Scratch {
 public:
  Scratch() {
    // In memory where there is such a file system: every file is flushed to disk, which on a real
    // disk would cost most of the time of an input.
    std::error_code error;
    const fs::path base = fs::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0
                              ? fs::path("/dev/shm")
                              : fs::temp_directory_path();
    std::string name = (base / "firxover-fuzz-XXXXXX").string();
    if (::mkdtemp(name.data()) != nullptr) path_ = name;
  }
  ~Scratch() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
  }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

struct Event {
  char kind;
  std::array<unsigned char, 5> argument{};
};

// Where writing file `name` really goes in the model: through a link to a regular file.
std::string ModelDestination(const Listing& model, const std::string& name) {
  const auto found = model.find(name);
  if (found == model.end() || found->second.rfind("-> real/", 0) != 0) return name;
  const std::string target = found->second.substr(3);
  return model.count(target) != 0 && model.at(target) != "<dir>" ? target : name;
}

// The message staging file <k> of a set is refused with, from the model, or "" when it can be written.
std::string ExpectedRefusal(const Listing& model, const fs::path& directory, int set, size_t file) {
  const std::string name = SetName(set, file);
  const auto found = model.find(name);
  if (found == model.end()) return "";
  const std::string path = (directory / name).string();
  if (found->second == "<dir>") return CannotWriteMessage(path, "Is a directory");
  if (found->second == "<other>") return CannotWriteMessage(path, "it is a named pipe, not a regular file");
  if (found->second.rfind("-> ", 0) == 0 && ModelDestination(model, name) == name) {
    return CannotWriteMessage(path, "it is a symbolic link to a file that does not exist");
  }
  return "";
}

// A temporary being renamed onto its target, as StagedFiles names them.
bool IsPlacing(const char* from) {
  const std::string name = fs::path(from).filename().string();
  return name.rfind(".fx", 0) == 0 && name.size() > 4 && name.compare(name.size() - 4, 4, ".new") == 0;
}

class ExportFuzz {
 public:
  explicit ExportFuzz(const fs::path& directory) : directory_(directory) {
    fs::create_directory(directory_ / "real");
    model_["real"] = "<dir>";
  }

  std::string Run(const Event& event) {
    switch (event.kind) {
      case 'W': return Write(event);
      case 'O': return Obstacle(event);
      case 'R': return Remove(event);
      case 'A': return Abandon(event);
      default: return Duplicate(event);
    }
  }

  std::string Check() const {
    const Listing actual = List(directory_);
    if (actual == model_) return "";
    std::string text = "the directory holds";
    for (const auto& [name, content] : actual) text += " [" + name.substr(0, 16) + ": " + content.substr(0, 40) + "]";
    text += " where the model has";
    for (const auto& [name, content] : model_) text += " [" + name.substr(0, 16) + ": " + content.substr(0, 40) + "]";
    return text;
  }

 private:
  std::string Write(const Event& event) {
    const int set = event.argument[0] % 2;
    const int fault = event.argument[1] % 6;
    const size_t at = event.argument[2] % FilesPerSet;
    const int error = Errors[event.argument[3] % Errors.size()];
    const size_t bytes = size_t{event.argument[4]} * 37;
    ++generation_;

    const std::string failingName = SetName(set, at);
    if (fault == 1 || fault == 3) {
      SyscallFaults::OnRename = [&](const char* from, const char*) {
        // Only the rename that places the chosen file fails, not those that move old files.
        return IsPlacing(from) && placingIndex_++ == at ? error : 0;
      };
    }
    if (fault == 2 || fault == 3) SyscallFaults::OnLink = [](const char*, const char*) { return EPERM; };
    placingIndex_ = 0;

    // The first file that cannot be staged ends the write; a failing rename comes after all of them.
    std::string expected;
    for (size_t k = 0; k < FilesPerSet && expected.empty(); ++k) {
      expected = ExpectedRefusal(model_, directory_, set, k);
      if (expected.empty() && k == at && fault == 4) expected = "writer failed";
      if (expected.empty() && k == at && fault == 5) expected = "cancelled";
    }
    if (expected.empty() && (fault == 1 || fault == 3)) {
      expected = CannotWriteMessage(directory_ / failingName, std::generic_category().message(error));
    }
    std::string message;
    try {
      StagedFiles staged;
      for (size_t k = 0; k < FilesPerSet; ++k) {
        staged.Stage(directory_ / SetName(set, k), [&](StagedOutput& output) {
          if (k == at && fault == 4) throw UserError("writer failed");
          if (k == at && fault == 5) throw CommandCancelled();
          output.Write(Content(k, bytes));
        });
      }
      staged.Commit();
    } catch (const UserError& failure) {
      message = failure.Text();
    } catch (const CommandCancelled&) {
      message = "cancelled";
    }
    SyscallFaults::Clear();

    if (message != expected) return "write ended with \"" + message + "\" instead of \"" + expected + "\"";
    if (message.empty()) {
      for (size_t k = 0; k < FilesPerSet; ++k) model_[ModelDestination(model_, SetName(set, k))] = Content(k, bytes);
    }
    return "";
  }

  std::string Obstacle(const Event& event) {
    const std::string name = SetName(event.argument[0] % 2, event.argument[1] % FilesPerSet);
    const fs::path path = directory_ / name;
    std::error_code ignored;
    fs::remove_all(path, ignored);
    model_.erase(name);
    switch (event.argument[2] % 4) {
      case 0:
        fs::create_directory(path);
        model_[name] = "<dir>";
        break;
      case 1:
        ::mkfifo(path.c_str(), 0600);
        model_[name] = "<other>";
        break;
      case 2: {
        const std::string target = "real/" + std::to_string(++links_);
        std::ofstream(directory_ / target) << "linked";
        model_[target] = "linked";
        fs::create_symlink(target, path);
        model_[name] = "-> " + target;
        break;
      }
      default:
        fs::create_symlink("real/missing", path);
        model_[name] = "-> real/missing";
        break;
    }
    return "";
  }

  std::string Remove(const Event& event) {
    const std::string name = SetName(event.argument[0] % 2, event.argument[1] % FilesPerSet);
    std::error_code ignored;
    fs::remove_all(directory_ / name, ignored);
    model_.erase(name);
    return "";
  }

  std::string Abandon(const Event& event) {
    const int set = event.argument[0] % 2;
    const size_t count = event.argument[1] % (FilesPerSet + 1);
    try {
      StagedFiles staged;
      for (size_t k = 0; k < count; ++k) {
        staged.Stage(directory_ / SetName(set, k), [&](StagedOutput& output) { output.Write("abandoned"); });
      }
    } catch (const UserError&) {
      // A refused target; the model says nothing changes either way.
    }
    return "";
  }

  std::string Duplicate(const Event& event) {
    const int set = event.argument[0] % 2;
    const fs::path first = directory_ / SetName(set, 0);
    const fs::path second = directory_ / "." / SetName(set, 0);
    std::string expected = ExpectedRefusal(model_, directory_, set, 0);
    if (expected.empty()) expected = RepeatedOutputMessage(first, second);
    std::string message;
    try {
      StagedFiles staged;
      staged.Stage(first, [](StagedOutput& output) { output.Write("first"); });
      staged.Stage(second, [](StagedOutput& output) { output.Write("second"); });
      staged.Commit();
    } catch (const UserError& failure) {
      message = failure.Text();
    }
    if (message != expected) return "the same file twice ended with \"" + message + "\" instead of \"" + expected + "\"";
    return "";
  }

  std::string Content(size_t file, size_t bytes) const {
    std::string text = "generation " + std::to_string(generation_) + " file " + std::to_string(file) + "\n";
    text.resize(text.size() + bytes, static_cast<char>('a' + generation_ % 26));
    return text;
  }

  fs::path directory_;
  Listing model_;
  int generation_ = 0;
  int links_ = 0;
  size_t placingIndex_ = 0;
};

}  // namespace

std::string RunExportFuzzInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  Scratch scratch;
  if (scratch.Path().empty()) return "";  // no scratch directory, nothing to try
  ExportFuzz fuzz(scratch.Path());
  size_t start = 0;
  for (int number = 0; number < MaxEvents && start < input.size(); ++number) {
    size_t end = input.find('\n', start);
    if (end == std::string_view::npos) end = input.size();
    const std::string_view line = input.substr(start, end - start);
    start = end + 1;
    if (line.empty()) continue;

    static constexpr std::string_view Kinds = "WORAD";
    const size_t known = Kinds.find(line[0]);
    Event event;
    event.kind = Kinds[known != std::string_view::npos ? known : static_cast<unsigned char>(line[0]) % Kinds.size()];
    for (size_t i = 0; i < event.argument.size() && i + 1 < line.size(); ++i) {
      event.argument[i] = static_cast<unsigned char>(line[i + 1]);
    }
    std::string violation = fuzz.Run(event);
    if (violation.empty()) violation = fuzz.Check();
    if (!violation.empty()) {
      return "event " + std::to_string(number + 1) + " (" + std::string(line.substr(0, 8)) + "): " + violation;
    }
  }
  return "";
}
