#include "scalesim/request_faults.h"

#include <algorithm>

#include "scalesim/packed_decimal.h"

namespace scalesim {
namespace {

constexpr std::uint64_t kPriceLimit = 100000000;  // 8 digits

bool IsPluRecord(const Frame& frame, const std::uint8_t* request) {
  return frame.kind == FrameKind::kRequest && request[0] == kRecordPacket && request[1] == kPluCode;
}

bool IsKeyPacket(const Frame& frame, const std::uint8_t* request) {
  return frame.kind == FrameKind::kRequest && request[0] == kKeyPacket;
}

}  // namespace

RequestFate DecideRequestFate(const Faults& faults, int request_number, const Frame& frame,
                              const std::uint8_t* request, std::uint64_t* plu_records) {
  const auto& naks = faults.nak_requests;
  if (std::find(naks.begin(), naks.end(), request_number) != naks.end()) return RequestFate::kRefuse;
  if (faults.nak_keys && IsKeyPacket(frame, request)) return RequestFate::kRefuse;
  if (!IsPluRecord(frame, request)) return RequestFate::kCarryOut;
  std::uint64_t count = ++*plu_records;
  if (faults.drop_plu > 0 && count % static_cast<std::uint64_t>(faults.drop_plu) == 0) return RequestFate::kDropPlu;
  if (faults.alter_plu > 0 && count % static_cast<std::uint64_t>(faults.alter_plu) == 0) {
    return RequestFate::kAlterPlu;
  }
  return RequestFate::kCarryOut;
}

bool AlterPluPrice(std::uint8_t* record, std::size_t length) {
  if (length < kPluPriceAt + kPluPriceLength) return false;
  std::uint8_t* price = record + kPluPriceAt;
  PutPacked((GetPacked(price, kPluPriceLength) + 1) % kPriceLimit, kPluPriceLength, price);
  return true;
}

}  // namespace scalesim
