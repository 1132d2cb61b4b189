#pragma once

namespace stakora::qt {

// Opens the window and runs until it is closed; returns the program's exit status. Without a
// display to open it on, says so and returns at once.
int runApplication(int argc, char** argv);

}  // namespace stakora::qt
