// The entry point's work: start-up, the single-instance check and the message loop.
#pragma once

// Runs the player (or hands the command line to the running one); the exit code.
int RunPlayer();
