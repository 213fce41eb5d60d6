#include "common/transfer_results.h"

namespace common {
namespace {

struct ResultRow {
  int code;
  const char* text;
};

const ResultRow kResults[] = {
    {kResultFileUnusable, "the file to send cannot be opened or is not well formed, or the file to fill cannot be created"},
    {kResultKeyReplyOrWriteFailed, "a key packet got no reply, or the incoming file did not take a reply"},
    {kResultNoConnection, "no connection to the scale"},
    {kResultNoReply, "a reply is missing, or the scale's records did not end as they must"},
    {kResultSendFailed, "a request could not be sent"},
    {kResultReceiveFailed, "receiving a reply failed or timed out"},
};

}  // namespace

const char* TransferResultText(int code) {
  for (const ResultRow& row : kResults) {
    if (row.code == code) return row.text;
  }
  return "unknown result";
}

}  // namespace common
