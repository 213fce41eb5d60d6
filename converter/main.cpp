// VelkoCon, the converter: loads a shop's price list into a scale and fetches
// its reports, through the transfer program.
#include "converter/driver.h"

int main(int argc, char** argv) { return converter::RunConverter(argc, argv); }
