// Result codes of a per-scale transfer: 0 or more is success (the length of
// the last reply, or the connection handle when nothing was exchanged).
#pragma once

namespace transfer {

// A record or key file cannot be opened or is not well formed; an incoming
// file cannot be created.
constexpr int kResultFileUnusable = -1;
// Paired read: the reply to a key packet is missing. Reads: the incoming
// file did not take a reply.
constexpr int kResultKeyReplyOrWriteFailed = -3;
// No connection (the scale argument unusable, or connect failed).
constexpr int kResultNoConnection = -5;
// A reply is missing, or a read does not move on.
constexpr int kResultNoReply = -6;
// A request could not be sent.
constexpr int kResultSendFailed = -7;
// Record load: the receive of a reply failed or timed out.
constexpr int kResultReceiveFailed = -8;

}  // namespace transfer
