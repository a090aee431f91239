// Faults while the executables write: a directory that cannot be written, the file size limit
// reached in the middle of one file, the directory removed while the program runs. Each must
// end in one line on stderr naming the file and the reason, exit status 1, every file written
// before the fault whole, every earlier file of the same name kept byte for byte, and no
// temporary file left.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "emitter/emitters.h"
#include "support/child_process.h"
#include "support/emitted.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace scenario::testing {
namespace {

namespace fs = std::filesystem;

using Files = std::map<std::string, std::string>;  // name -> bytes

Files files_in(const std::string& dir) {
  Files f;
  for (const auto& e : fs::directory_iterator(dir)) {
    if (e.is_regular_file()) f[e.path().filename().string()] = read_file(e.path().string());
  }
  return f;
}

// Compares a directory's files with the expected ones by name, then byte for byte; a failure
// names the file and the sizes rather than dumping the bytes.
void expect_files(const std::string& dir, const Files& want) {
  const Files got = files_in(dir);
  std::vector<std::string> got_names, want_names;
  for (const auto& [name, bytes] : got) got_names.push_back(name);
  for (const auto& [name, bytes] : want) want_names.push_back(name);
  ASSERT_EQ(got_names, want_names);
  for (const auto& [name, bytes] : want) {
    EXPECT_TRUE(got.at(name) == bytes)
        << name << ": " << got.at(name).size() << " bytes, expected " << bytes.size();
  }
}

bool holds_temporary(const std::string& dir) {
  for (const std::string& name : list_dir(dir)) {
    if (name.find(".tmp-") != std::string::npos) return true;
  }
  return false;
}

// The one stderr line of a failed write: it names the file and says why.
void expect_one_line_naming(const ChildResult& r, const std::string& path,
                            const std::string& reason) {
  EXPECT_EQ(r.signal, 0) << r.describe();
  EXPECT_EQ(r.exit_code, 1) << r.describe();
  const std::vector<std::string> lines = r.err_lines();
  ASSERT_EQ(lines.size(), 1u) << r.describe();
  EXPECT_NE(lines[0].find(path + ": "), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find(reason), std::string::npos) << lines[0];
}

// Lowers the child's file size limit to half of the file's expected size at the moment the
// temporary file of that name is created, so the write fails in its middle.
std::function<bool(const SyscallEntry&)> limit_when_created(const std::string& name, size_t size) {
  return [marker = "/." + name + ".tmp-", size](const SyscallEntry& call) {
    if (!call.creates(marker)) return false;
    set_file_size_limit(call.pid, size / 2);
    return true;
  };
}

// The built-in scenario's sources in src, compiled with scenario-tool into out.
struct ToolScene {
  TempDir root;
  std::string src = root.file("src");
  std::string out = root.file("out");
  ToolScene() {
    fs::create_directory(src);
    BuildState s = builtin_state(src);
    dati_linea(s);
    dati_treno(s);
  }
  std::vector<std::string> argv(const std::string& outdir, bool json = false) const {
    if (json) return {SCENARIO_TOOL_EXE, "compile", "--json", "-o", outdir, src};
    return {SCENARIO_TOOL_EXE, "compile", "-o", outdir, src};
  }
};

const std::vector<std::string> kCompiled = {"Lindeva_Querno_linea.dat", "Lindeva_Querno_40716.sim",
                                            "Lindeva_Querno_40716.dat"};

TEST(FaultInjection, OutputDirectoryThatCannotBeMade) {
  const ToolScene scene;
  const Files sources = files_in(scene.src);
  write_file(scene.root.file("file"), "not a directory");
  const struct {
    std::string outdir;
    const char* reason;
  } cases[] = {
      {scene.root.file("file") + "/out", "Not a directory"},
      {scene.root.file("file"), "cannot create the output directory"},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.outdir);
    const ChildResult r = run_child(scene.argv(k.outdir, true));
    expect_one_line_naming(r, k.outdir, k.reason);
    // --json: the object says that nothing was compiled, and why.
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_TRUE(j["status"].is_null());
    EXPECT_EQ(j["outputs"], nlohmann::json::array());
    EXPECT_EQ(j["error"],
              r.err_lines().at(0).substr(std::string("scenario-tool compile: ").size()));
    EXPECT_EQ(list_dir(scene.root.path()), (std::vector<std::string>{"file", "src"}));
    EXPECT_EQ(read_file(scene.root.file("file")), "not a directory");
    expect_files(scene.src, sources);
  }
}

TEST(FaultInjection, OutputDirectoryWithoutWritePermission) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into a directory of mode 555";
  const ToolScene scene;
  fs::create_directory(scene.out);
  ASSERT_EQ(chmod(scene.out.c_str(), 0555), 0);
  const ChildResult r = run_child(scene.argv(scene.out));
  expect_one_line_naming(r, scene.out + "/" + kCompiled[0], "Permission denied");
  chmod(scene.out.c_str(), 0755);
  EXPECT_TRUE(list_dir(scene.out).empty());

  TempDir build;
  copy_executable(SCENARIO_BUILD_EXE, build.file("scenario-build"));
  ASSERT_EQ(chmod(build.path().c_str(), 0555), 0);
  const ChildResult b = run_child({build.file("scenario-build")});
  expect_one_line_naming(b, build.file("Lindeva_Querno_linea.txt"), "Permission denied");
  chmod(build.path().c_str(), 0755);
  EXPECT_EQ(list_dir(build.path()), std::vector<std::string>{"scenario-build"});
}

// A limit set before the start stops the first file that outgrows it: the curve file. SIGXFSZ
// is left at its default, which kills the process unless the program itself ignores it.
TEST(FaultInjection, FileSizeLimitFromTheStart) {
  ChildOptions limited;
  limited.file_size_limit = 1 << 20;

  const ToolScene scene;
  ASSERT_EQ(run_child(scene.argv(scene.out)).exit_code, 0);
  // A curve file that differs in its last byte: the compile must write it again (one that
  // holds the same bytes is left as it is), and fails to.
  const std::string curve = scene.out + "/" + kCompiled[0];
  std::string bytes = read_file(curve);
  bytes.back() = static_cast<char>(bytes.back() ^ 1);
  write_file(curve, bytes);
  const Files before = files_in(scene.out);
  const ChildResult r = run_child(scene.argv(scene.out), limited);
  expect_one_line_naming(r, scene.out + "/" + kCompiled[0], "File too large");
  expect_files(scene.out, before);
  EXPECT_FALSE(holds_temporary(scene.out));

  // scenario-build: its texts fit, its curve file does not.
  TempDir dir;
  copy_executable(SCENARIO_BUILD_EXE, dir.file("scenario-build"));
  const ChildResult b = run_child({dir.file("scenario-build")}, limited);
  expect_one_line_naming(b, dir.file(kCompiled[0]), "File too large");
  EXPECT_FALSE(holds_temporary(dir.path()));
  EXPECT_FALSE(read_file(dir.file("Lindeva_Querno_40716_scheda_treno.txt")).empty());
}

// Each compiled file in turn: the ones before it are replaced whole, it and the ones after it
// keep the bytes of the earlier build. --json still prints its object, with the files written
// and the error.
TEST(FaultInjection, FileSizeLimitInEachCompiledFile) {
  const ToolScene scene;
  ASSERT_EQ(run_child(scene.argv(scene.root.file("reference"))).exit_code, 0);
  const Files reference = files_in(scene.root.file("reference"));
  ASSERT_EQ(reference.size(), kCompiled.size());
  for (size_t k = 0; k < kCompiled.size(); ++k) {
    SCOPED_TRACE(kCompiled[k]);
    fs::remove_all(scene.out);
    fs::create_directory(scene.out);
    // An earlier build's files, each of another length than this build's.
    for (const std::string& name : kCompiled) write_file(scene.out + "/" + name, "earlier " + name);
    const Files sources = files_in(scene.src);
    ChildOptions options;
    options.ignore_sigxfsz = true;
    const auto r = run_traced(scene.argv(scene.out, true), options,
                              limit_when_created(kCompiled[k], reference.at(kCompiled[k]).size()));
    if (!r) GTEST_SKIP() << "this system does not allow tracing a child";
    expect_one_line_naming(*r, scene.out + "/" + kCompiled[k], "File too large");
    const nlohmann::json j = nlohmann::json::parse(r->out);
    EXPECT_EQ(j["status"], 0);
    EXPECT_EQ(j["outputs"], std::vector<std::string>(kCompiled.begin(), kCompiled.begin() + k));
    EXPECT_EQ(j["error"], scene.out + "/" + kCompiled[k] + ": cannot write: File too large");
    Files want;
    for (size_t i = 0; i < kCompiled.size(); ++i) {
      want[kCompiled[i]] = i < k ? reference.at(kCompiled[i]) : "earlier " + kCompiled[i];
    }
    expect_files(scene.out, want);
    EXPECT_FALSE(holds_temporary(scene.out));
    expect_files(scene.src, sources);
  }
}

// scenario-build writes eight files into its own directory, in this order; the build reads
// and deletes the two sources before it writes the compiled files.
const std::vector<std::string> kBuildFiles = {
    "Lindeva_Querno_linea.txt",
    "Lindeva_Querno_40716-.txt",
    "Lindeva_Querno_40716_note.txt",
    "Lindeva_Querno_40716_rallentamenti.txt",
    "Lindeva_Querno_40716_scheda_treno.txt",
    "Lindeva_Querno_linea.dat",
    "Lindeva_Querno_40716.sim",
    "Lindeva_Querno_40716.dat",
};
constexpr size_t kFirstCompiled = 5;

TEST(FaultInjection, FileSizeLimitInEachFileOfScenarioBuild) {
  TempDir dir;
  const std::string exe = dir.file("scenario-build");
  copy_executable(SCENARIO_BUILD_EXE, exe);
  ASSERT_EQ(run_child({exe}).exit_code, 0);
  Files reference = files_in(dir.path());
  reference.erase("scenario-build");
  {
    TempDir emitted;  // the two sources, which the build deletes
    BuildState s = builtin_state(emitted.path());
    emit_all(s);
    for (size_t i = 0; i < 2; ++i)
      reference[kBuildFiles[i]] = read_file(emitted.file(kBuildFiles[i]));
  }
  ASSERT_EQ(reference.size(), kBuildFiles.size());

  for (size_t k = 0; k < kBuildFiles.size(); ++k) {
    SCOPED_TRACE(kBuildFiles[k]);
    for (const std::string& name : list_dir(dir.path())) {
      if (name != "scenario-build") fs::remove(dir.file(name));
    }
    for (const std::string& name : kBuildFiles) write_file(dir.file(name), "earlier " + name);
    ChildOptions options;
    options.ignore_sigxfsz = true;
    const auto r = run_traced(
        {exe}, options, limit_when_created(kBuildFiles[k], reference.at(kBuildFiles[k]).size()));
    if (!r) GTEST_SKIP() << "this system does not allow tracing a child";
    expect_one_line_naming(*r, dir.file(kBuildFiles[k]), "File too large");
    Files want = {{"scenario-build", read_file(exe)}};
    for (size_t i = 0; i < kBuildFiles.size(); ++i) {
      const bool read_and_deleted = i < 2 && k >= kFirstCompiled;
      if (read_and_deleted) continue;
      want[kBuildFiles[i]] = i < k ? reference.at(kBuildFiles[i]) : "earlier " + kBuildFiles[i];
    }
    expect_files(dir.path(), want);
    EXPECT_FALSE(holds_temporary(dir.path()));
  }
}

// The directory goes while the program is stopped at a system call: before the first file is
// created, or with the first file written but not yet renamed into place.
TEST(FaultInjection, DirectoryRemovedDuringTheRun) {
  const struct {
    const char* label;
    bool at_rename;
    const char* reason;
  } cases[] = {
      {"before the first file", false, "cannot create: No such file or directory"},
      {"before the first rename", true, "cannot replace: No such file or directory"},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.label);
    TempDir root;
    const std::string dir = root.file("build");
    fs::create_directory(dir);
    copy_executable(SCENARIO_BUILD_EXE, dir + "/scenario-build");
    const auto r = run_traced({dir + "/scenario-build"}, {}, [&](const SyscallEntry& call) {
      const bool now = k.at_rename ? call.renames() : call.creates("/.Lindeva_Querno_linea.txt");
      if (now) fs::remove_all(dir);
      return now;
    });
    if (!r) GTEST_SKIP() << "this system does not allow tracing a child";
    expect_one_line_naming(*r, dir + "/Lindeva_Querno_linea.txt", k.reason);
    EXPECT_TRUE(list_dir(root.path()).empty()) << "the program made its directory again";
  }

  // The tool's output directory, removed when the second compiled file is about to be made.
  const ToolScene scene;
  const Files sources = files_in(scene.src);
  const auto r = run_traced(scene.argv(scene.out), {}, [&](const SyscallEntry& call) {
    const bool now = call.creates("/." + kCompiled[1] + ".tmp-");
    if (now) fs::remove_all(scene.out);
    return now;
  });
  if (!r) GTEST_SKIP() << "this system does not allow tracing a child";
  expect_one_line_naming(*r, scene.out + "/" + kCompiled[1], "No such file or directory");
  EXPECT_FALSE(fs::exists(scene.out));
  expect_files(scene.src, sources);
}

}  // namespace
}  // namespace scenario::testing
