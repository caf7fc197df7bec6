#pragma once

// Starts the desktop program and runs it until its main window closes.
int runDesktop(int argc, char **argv);
