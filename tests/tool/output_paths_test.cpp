// What the tool's writers find at their output paths: plot -o, timing --svg, the documents and
// compile's output folder refuse anything but nothing or a regular file, with one line and
// nothing replaced; compile --documents says why documents are missing and what it wrote.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "support/builtin_compiled.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace scenario::testing {
namespace {

ProcessResult tool(const std::vector<std::string>& args) {
  return run_process(SCENARIO_TOOL_EXE, args);
}

// The lines of err but the documents' warnings (the built-in's last section cannot be kept).
size_t error_lines(const std::string& err) {
  size_t n = 0;
  for (size_t at = 0, end; (end = err.find('\n', at)) != std::string::npos; at = end + 1) {
    n += err.substr(at, end - at).find(": warning: ") == std::string::npos;
  }
  return n;
}

// What can stand at an output path, and how its refusal names it.
struct Obstacle {
  const char* name;
  void (*make)(const std::string& path, const TempDir& dir);
  const char* says;
};

const Obstacle kObstacles[] = {
    {"a FIFO",
     [](const std::string& p, const TempDir&) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
     "a FIFO stands there, not a regular file: not replaced"},
    {"a link to a device",
     [](const std::string& p, const TempDir&) { ASSERT_EQ(::symlink("/dev/null", p.c_str()), 0); },
     "a symbolic link stands there, not a regular file: not replaced"},
    {"a link to a file",
     [](const std::string& p, const TempDir& d) {
       write_file(d.file("kept"), "kept");
       ASSERT_EQ(::symlink(d.file("kept").c_str(), p.c_str()), 0);
     },
     "a symbolic link stands there, not a regular file: not replaced"},
    {"a dangling link",
     [](const std::string& p, const TempDir&) { ASSERT_EQ(::symlink("/no/such", p.c_str()), 0); },
     "a symbolic link stands there, not a regular file: not replaced"},
    {"a directory",
     [](const std::string& p, const TempDir&) { std::filesystem::create_directory(p); },
     "a directory stands there, not a regular file: not replaced"},
};

// The kind of what stands at path (lstat), to see that it was left as it was.
mode_t kind_at(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

TEST(OutputPaths, WritersRefuseAnythingButARegularFileAndReplaceNothing) {
  const std::string compiled = builtin_compiled().dir;
  const std::string sheet = "Lindeva_Querno_40716_scheda_treno.txt";
  const std::string order = "Lindeva_Querno_40716_rallentamenti.txt";
  struct Writer {
    const char* name;
    std::string file;  // the output's name in the test's folder
    std::vector<std::string> (*args)(const std::string& dir, const std::string& compiled);
  };
  const Writer writers[] = {
      {"plot -o", "p.svg",
       [](const std::string& d, const std::string& c) {
         return std::vector<std::string>{"plot", "-o", d + "/p.svg", c};
       }},
      {"timing --svg", "t.svg",
       [](const std::string& d, const std::string& c) {
         return std::vector<std::string>{"timing", "--svg", d + "/t.svg", c};
       }},
      // The second document's path is refused before the first is written.
      {"documents", order,
       [](const std::string& d, const std::string& c) {
         return std::vector<std::string>{"documents", "-o", d, c};
       }},
  };
  for (const Writer& w : writers) {
    for (const Obstacle& o : kObstacles) {
      SCOPED_TRACE(std::string(w.name) + " onto " + o.name);
      TempDir dir;
      const std::string path = dir.file(w.file);
      o.make(path, dir);
      const mode_t before = kind_at(path);
      const std::vector<std::string> before_list = list_dir(dir.path());
      const ProcessResult r = tool(w.args(dir.path(), compiled));
      EXPECT_EQ(r.exit_status, 1);
      EXPECT_EQ(error_lines(r.err), 1u) << r.err;
      EXPECT_NE(r.err.find(path + ": " + o.says), std::string::npos) << r.err;
      EXPECT_EQ(kind_at(path), before);
      EXPECT_EQ(list_dir(dir.path()), before_list);  // no document, no temporary file
      if (file_exists(dir.file("kept"))) {
        EXPECT_EQ(read_file(dir.file("kept")), "kept");
      }
    }
  }
}

// compile --json --documents reports the compiled files it wrote and the true cause when the
// documents are not written.
TEST(OutputPaths, CompileSaysWhyTheDocumentsAreMissingAndWhatItWrote) {
  TempDir src;
  ASSERT_EQ(tool({"emit", src.path()}).exit_status, 0);
  const std::vector<std::string> compiled = {"Lindeva_Querno_linea.dat", "Lindeva_Querno_40716.sim",
                                             "Lindeva_Querno_40716.dat"};
  struct Case {
    const char* what;
    const char* blocked;  // a folder stands at this name in OUTDIR
    int status;
    std::vector<std::string> outputs;
    std::string cause;  // after "the documents are not written: "
  };
  const Case cases[] = {
      {"the order's path taken", "Lindeva_Querno_40716_rallentamenti.txt", 1, compiled,
       "OUT/Lindeva_Querno_40716_rallentamenti.txt: a directory stands there, not a regular "
       "file: not replaced"},
      {"the sheet's path taken", "Lindeva_Querno_40716_scheda_treno.txt", 1, compiled,
       "OUT/Lindeva_Querno_40716_scheda_treno.txt: a directory stands there, not a regular "
       "file: not replaced"},
      {"a compiled file's path taken",
       "Lindeva_Querno_40716.dat",
       1,
       {"Lindeva_Querno_linea.dat", "Lindeva_Querno_40716.sim"},
       "the compiled files are not all written"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir out;
    std::filesystem::create_directory(out.file(c.blocked));
    const ProcessResult r =
        tool({"compile", "--json", "--documents", "-o", out.path(), src.path()});
    EXPECT_EQ(r.exit_status, c.status) << r.err;
    std::string cause = c.cause;
    if (cause.rfind("OUT", 0) == 0) cause.replace(0, 3, out.path());
    EXPECT_NE(r.err.find("scenario-tool compile: the documents are not written: " + cause + "\n"),
              std::string::npos)
        << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["status"], 0);
    EXPECT_EQ(j["outputs"].get<std::vector<std::string>>(), c.outputs);
    EXPECT_TRUE(j["error"].is_string());
  }

  // Sources with a fault: the compiled files are written, the documents not, and that is why.
  TempDir faulty;
  std::string train = read_file(src.file("Lindeva_Querno_40716-.txt"));
  const size_t at = train.find("stazione,");
  ASSERT_NE(at, std::string::npos);
  train.replace(train.find_first_of("0123456789", at), 2, "13");  // off the 50 m grid
  write_file(faulty.file("Lindeva_Querno_40716-.txt"), train);
  write_file(faulty.file("Lindeva_Querno_linea.txt"),
             read_file(src.file("Lindeva_Querno_linea.txt")));
  const ProcessResult r = tool({"compile", "--json", "--documents", faulty.path()});
  EXPECT_EQ(r.exit_status, 3) << r.err;
  EXPECT_NE(r.err.find("the documents are not written: the sources have a fault\n"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(nlohmann::json::parse(r.out)["outputs"].size(), 3u) << r.out;
}

TEST(OutputPaths, CompileNamesWhatStandsWhereItsOutputFolderShouldBe) {
  TempDir src, dir;
  ASSERT_EQ(tool({"emit", src.path()}).exit_status, 0);
  ASSERT_EQ(::symlink(dir.file("nowhere").c_str(), dir.file("link").c_str()), 0);
  write_file(dir.file("file"), "x");
  const struct {
    std::string out;
    std::string says;
  } cases[] = {
      {dir.file("link"), dir.file("link") +
                             ": cannot create the output directory: a symbolic "
                             "link to " +
                             dir.file("nowhere") + ", which does not exist"},
      {dir.file("file"), dir.file("file") + ": cannot create the output directory: Not a "
                                            "directory"},
  };
  for (const auto& c : cases) {
    const ProcessResult r = tool({"compile", "-o", c.out, src.path()});
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.err, "scenario-tool compile: " + c.says + "\n");
  }
  EXPECT_FALSE(file_exists(dir.file("nowhere")));
}

}  // namespace
}  // namespace scenario::testing
