// The result codes of one scale's transfer, as the transfer program records
// them in "retvals" and the converter reads them back: 0 or more is success
// (the length of the last reply, or the connection handle when nothing was
// exchanged), a negative code names what failed.
#pragma once

namespace common {

// A record or key file cannot be opened or is not well formed; an incoming
// file cannot be created.
constexpr int kResultFileUnusable = -1;
// Paired read: the reply to a key packet is missing. Reads: the incoming
// file did not take a reply.
constexpr int kResultKeyReplyOrWriteFailed = -3;
// No connection (the scale argument unusable, the host unknown, connection
// refused or not answered within 3 s).
constexpr int kResultNoConnection = -5;
// A reply is missing, or a read does not end as a read must.
constexpr int kResultNoReply = -6;
// A request could not be sent: the scale did not take it in time.
constexpr int kResultSendFailed = -7;
// Record load: the receive of a reply failed or timed out.
constexpr int kResultReceiveFailed = -8;

// The result code in words ("no connection to the scale"); a code without a
// meaning gives "unknown result".
const char* TransferResultText(int code);

}  // namespace common
