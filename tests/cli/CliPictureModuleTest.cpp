// The picture module as firxover-cli meets it: a run without a picture loads no Qt, a picture run
// writes the very bytes the renderer makes in process, and a module that is missing, damaged or
// foreign is a message with exit status 1 and no file written.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QPalette>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "pipeline/Commands.h"
#include "pipeline/MemoryFields.h"
#include "render/GraphPicture.h"
#include "render/WindowFont.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Scratch.h"

namespace fs = std::filesystem;

namespace {

using testing_support::ProcessRun;

// Runs `binary` with the environment variable FIRXOVER_RENDER_MODULE set to `module` (empty: the
// program's own lookup), standard output discarded.
ProcessRun RunWithModule(const std::string& binary, const std::vector<std::string>& arguments, const std::string& module) {
  return testing_support::RunProcess(binary, arguments, "/dev/null", {"FIRXOVER_RENDER_MODULE=" + module});
}

std::string Output(const std::string& command) {
  std::string text;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return text;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
  ::pclose(pipe);
  return text;
}

class ScratchDir : public testing_support::ScratchDir {
 public:
  ScratchDir() : testing_support::ScratchDir("firxover-module") {}
};

}  // namespace

// The program links no Qt library at all; the module does, and exports its one entry point.
TEST(PictureModule, TheProgramLinksNoQt) {
  const std::string program = Output("ldd " FIRXOVER_CLI_BINARY);
  ASSERT_NE(program.find("libc.so"), std::string::npos) << program;
  EXPECT_EQ(program.find("libQt"), std::string::npos) << program;
  EXPECT_NE(Output("ldd " FIRXOVER_RENDER_MODULE_FILE).find("libQt6Gui"), std::string::npos);
  const std::string symbols = Output("nm -D --defined-only " FIRXOVER_RENDER_MODULE_FILE);
  EXPECT_NE(symbols.find(" T firxover_render_pictures\n"), std::string::npos) << symbols;
  EXPECT_EQ(symbols.find("UserError"), std::string::npos) << symbols;
}

// Both pictures of a design with the shelf and a moved marker, byte for byte what the
// renderer encodes in this process for the same Calc.
TEST(PictureModule, PicturesAreTheRenderersBytes) {
  ScratchDir dir;
  const ProcessRun run = RunWithModule(FIRXOVER_CLI_BINARY,
                             {"design", "--shelf-cut", "4", "--low-taps", "2001", "--mid-high", "2500", "--high-cut",
                              "2500", "--png", dir / "image1.png", "--png-labelled",
                              dir / "graph.png"},
                             FIRXOVER_RENDER_MODULE_FILE);
  ASSERT_EQ(run.status, 0) << run.err;

  MemoryFields fields;
  fields.SetText(Field::Edit1, "2001");
  fields.SetText(Field::Edit4, "2500");
  fields.SetText(Field::Edit3, "2500");
  fields.SetSliderPosition(2);
  DesignState state;
  ASSERT_EQ(CalcCommand(fields, state).Status, CalcStatus::Completed);
  static int argc = 1;
  static char name[] = "cli_process_tests";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  const auto application = std::make_unique<QGuiApplication>(argc, argv);
  GraphView view;
  view.HighMarkerText = "2500";
  const GraphPictures pictures =
      RenderGraphPictures(CurvesOf(state), view, GraphLabelFont(), QGuiApplication::palette().color(QPalette::Window));
  EXPECT_TRUE(testing_support::ReadBytes(dir / "image1.png") == EncodePng(pictures.Image1));
  EXPECT_TRUE(testing_support::ReadBytes(dir / "graph.png") == EncodePng(pictures.Labelled));
}

// Installed as bin/firxover-cli with the module in lib/firxover/ it draws; without the module, with a
// damaged one or with a library that is no picture module, it says so, exits 1 and writes no file,
// not even the exports asked for before the picture.
TEST(PictureModule, MissingDamagedOrForeignModule) {
  ScratchDir dir;
  fs::create_directories(dir.Path() / "bin");
  const std::string program = dir / "bin/firxover-cli";
  fs::copy_file(FIRXOVER_CLI_BINARY, program);
  const std::string module = dir / "lib/firxover/libfirxover-render.so";
  const std::vector<std::string> arguments{"design", "--export", dir / "set", "--curves", dir / "c.csv",
                                           "--png", dir / "g.png"};

  const ProcessRun missing = RunWithModule(program, arguments, "");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "Cannot draw the graph: the picture module cannot be loaded: " + dir.Path().string() + "/bin/../lib/firxover/"
                         "libfirxover-render.so: cannot open shared object file: No such file or directory\n");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"bin"});

  fs::create_directories(dir.Path() / "lib/firxover");
  std::ofstream(module) << "not a library";
  const ProcessRun damaged = RunWithModule(program, arguments, "");
  EXPECT_EQ(damaged.status, 1);
  EXPECT_EQ(damaged.err.rfind("Cannot draw the graph: the picture module cannot be loaded: " + dir.Path().string() +
                                  "/bin/../lib/firxover/libfirxover-render.so: ",
                              0),
            0u)
      << damaged.err;
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"bin", "lib"}));

  const ProcessRun foreign = RunWithModule(program, arguments, "libm.so.6");
  EXPECT_EQ(foreign.status, 1);
  EXPECT_EQ(foreign.err.rfind("Cannot draw the graph: 'libm.so.6' is not a firxover picture module: ", 0), 0u)
      << foreign.err;
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"bin", "lib"}));

  fs::copy_file(FIRXOVER_RENDER_MODULE_FILE, module, fs::copy_options::overwrite_existing);
  const ProcessRun installed = RunWithModule(program, arguments, "");
  EXPECT_EQ(installed.status, 0) << installed.err;
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"bin", "c.csv", "g.png", "lib", "set"}));
}
