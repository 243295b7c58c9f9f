#pragma once

#include <filesystem>
#include <functional>

class SingleInstance;
class TfrmMain;

// The program's run from start to end, shared by the executable and the test
// programs that start it as a user would.
namespace Program {

// Called once the main window is shown, before the event loop runs.
using Started = std::function<void(TfrmMain &window, SingleInstance &instance)>;

// Runs the program over appDir (the executable's folder when empty) and returns
// its exit status. A second copy started in the same folder hands over to the
// first and returns 0 at once, having written nothing.
int run(int argc, char **argv, std::filesystem::path appDir = {}, const Started &started = {});

} // namespace Program
