// Stands in for the Windows GUI entry point, WinMain.
//
// Contract: the process plays the show of its working directory; the entry
// hands the command line to the halvenor program, whose answer is the exit
// code. This is the one file of platform/ that calls up into the program.
#include "player/PlayerProgram.h"

int main(int argc, char** argv) { return PlayerProgram::Run(argc, argv); }
