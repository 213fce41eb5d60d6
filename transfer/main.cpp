// xferlnk, the transfer program: sends a scale file to each scale named on
// its command line, or reads one from it, and records the failures.
#include "transfer/driver.h"

int main(int argc, char** argv) { return transfer::RunTransferProgram(argc, argv); }
