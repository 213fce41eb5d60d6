#include "transfer/transfer_kinds.h"

namespace transfer {
namespace {

constexpr int kNoFile = -1;

// One row per file code: the file numbers that load records into it, read
// it plainly, read it in pairs and load keys into it.
struct FileCodeRow {
  std::uint8_t file_code;
  int record_load;
  int plain_read;
  int paired_read;
  int key_load;
};

// clang-format off
const FileCodeRow kFileCodes[] = {
    {0x1C, kNoFile, 0x1C, kNoFile, kNoFile},
    {0x20, 0x20, 0x80, kNoFile, 0x90},
    {0x21, kNoFile, kNoFile, 0x21, kNoFile},
    {0x23, 0x23, 0x83, kNoFile, 0x93},
    {0x24, kNoFile, kNoFile, 0x24, kNoFile},
    {0x25, 0x25, 0x85, kNoFile, 0x95},
    {0x26, kNoFile, kNoFile, 0x26, kNoFile},
    {0x2E, kNoFile, kNoFile, 0x30, kNoFile},
    {0x34, 0x34, 0x74, kNoFile, 0x89},
    {0x38, 0x38, 0x78, kNoFile, 0x98},
    {0x39, 0x42, 0x31, kNoFile, 0x87},
    {0x3A, 0x50, 0x60, kNoFile, 0x96},
    {0x3B, 0x51, 0x61, kNoFile, 0x91},
    {0x3C, 0x43, 0x32, kNoFile, 0x84},
    {0x3D, 0x52, 0x62, kNoFile, 0x92},
    {0x3F, 0x39, 0x79, kNoFile, 0x99},
    {0x40, 0x40, 0x70, kNoFile, 0x97},
    {0x41, 0x41, 0x71, kNoFile, 0x94},
    {0x44, 0x22, 0x28, kNoFile, 0x86},
    {0x45, kNoFile, kNoFile, 0x29, kNoFile},
    {0x46, kNoFile, kNoFile, 0x46, kNoFile},
    {0x4D, 0x44, 0x33, kNoFile, kNoFile},
    {0x4E, 0x49, 0x48, kNoFile, kNoFile},
    {0x4F, 0x37, 0x27, kNoFile, kNoFile},
    {0x51, kNoFile, 0x64, kNoFile, kNoFile},
    {0x52, kNoFile, 0x65, kNoFile, kNoFile},
    {0x54, 0x45, 0x35, kNoFile, 0x82},
    {0x55, 0x47, 0x36, kNoFile, 0x81},
    {0x56, 0x54, 0x53, kNoFile, 0x77},
    {0x57, 0x56, 0x55, kNoFile, 0x76},
    {0x58, 0x58, 0x57, kNoFile, 0x75},
    {0x59, 0x63, 0x59, kNoFile, 0x73},
};
// clang-format on

}  // namespace

TransferPlan PlanForFileNumber(std::uint8_t file_number) {
  TransferPlan plan;
  if (file_number == kFileCommandNumber) {
    plan.kind = TransferKind::kFilePacket;
    return plan;
  }
  const int number = file_number;
  for (const FileCodeRow& row : kFileCodes) {
    plan.file_code = row.file_code;
    if (row.record_load == number) plan.kind = TransferKind::kRecordLoad;
    if (row.plain_read == number) plan.kind = TransferKind::kPlainRead;
    if (row.paired_read == number) plan.kind = TransferKind::kPairedRead;
    if (row.key_load == number) plan.kind = TransferKind::kKeyLoad;
    if (plan.kind != TransferKind::kNone) return plan;
  }
  return TransferPlan();
}

}  // namespace transfer
