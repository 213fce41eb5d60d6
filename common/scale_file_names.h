// The names under which the two programs hand each other files: the
// converter writes a scale file and starts the transfer program with its data
// file's argument; the transfer program opens (or creates) the file under its
// own name in the same folder. The names are one file when they are equal
// ignoring letter case, and every name here goes through the platform's
// case-insensitive resolution before it is opened.
#pragma once

#include <string>

namespace common {

// How the transfer program reads a scale argument: a scale number (7 is the
// host S0007 on port 2007, its files carry 007) or a host name or address
// (DHCP mode: its files carry the argument as it stands).
enum class TransferMode { kScaleNumber, kDhcp };

// The data files the converter sends or fetches.
// kF85 reads the PLU file back without clearing it; kF95 deletes PLUs by key.
enum class DataFile { kF34, kF38, kF25, kF92, kF52, kF24, kF26, kF29, kF46, kF30, kF64, kF85, kF95 };

// The data file's name ("F25.DAT").
const char* DataFileArgument(DataFile file);

// The file argument the converter hands the transfer program for a data
// file: the data file's name in scale-number mode ("F25.DAT"); in DHCP mode,
// where the transfer program puts the whole argument into its names, the
// name without ".DAT" ("F25"), so that its names are the converter's.
std::string TransferFileArgument(DataFile file, TransferMode mode);

// The transfer mode an XFLTCPMODE value chooses: DHCP mode when the
// variable is defined and its value is "DHCP" in any letter case, nothing
// more or less; scale-number mode otherwise.
TransferMode TransferModeFromValue(bool defined, const std::string& value);

// The converter's name of the scale file that goes with the data file, in the
// working directory: "qs" + scale identifier + "F34.DAT", "F38.DAT", "F25.dat",
// "f92.DAT", "F52.dat", "F95.dat" for the files sent, "t24.dat", "t26.dat",
// "t29.dat", "t46.dat", "t30.dat", "t64.dat", "t85.dat" for the files fetched.
std::string ConverterFileName(const std::string& scale_identifier, DataFile file);

// True for the data files the converter fetches from the scale.
bool IsFetched(DataFile file);

// The transfer program's names of the file sent (outgoing) and the file
// filled with the scale's replies (incoming).
// Scale-number mode: QS007F25.DAT and QS007T25.DAT for scale 7 and F25.DAT.
// DHCP mode: "QS" + scale argument + file argument + ".DAT", and "QS" + scale
// argument + "T" + file argument without its first character + ".DAT".
struct TransferNames {
  std::string outgoing;
  std::string incoming;
};
TransferNames MakeTransferNames(const std::string& scale_argument, const std::string& file_argument,
                                TransferMode mode);

}  // namespace common
