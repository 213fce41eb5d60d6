#include "scalesim/server.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/hex_text.h"
#include "scalesim/exit_codes.h"
#include "scalesim/files.h"
#include "scalesim/net.h"
#include "scalesim/protocol.h"
#include "scalesim/reply_faults.h"
#include "scalesim/request_faults.h"
#include "scalesim/store.h"

namespace scalesim {
namespace {

constexpr int kListenBacklog = 64;
constexpr std::size_t kMaxConnections = 64;
// Replies not yet taken by a client that sends without reading: past this,
// the connection is not read until the client catches up.
constexpr std::size_t kMaxPendingOutput = 65536;
// A request that stays incomplete this long is answered with a negative
// acknowledge and dropped (a length field that promised more than came).
constexpr long long kPartialRequestTimeoutUs = 2000000;
// How often serve looks for its stop file.
constexpr long long kStopFileCheckUs = 50000;
// --split-reply: a reply longer than this goes out as its first this many
// bytes (key and length field), then the rest; a shorter one as its first
// byte, then the rest.
constexpr std::size_t kSplitHeadLength = 6;
// The server's clock counts microseconds.
constexpr long long kUsPerMs = 1000;
constexpr long long kUsPerSecond = 1000000;

struct Scale {
  int number = 0;
  std::string directory;
  Store store;
  std::uint64_t plu_records = 0;  // PLU records stored (or dropped) since the start, for --alter-plu and --drop-plu
};

struct Listener {
  int handle = -1;
  int port = 0;
  Scale* scale = nullptr;
};

struct Connection {
  int handle = -1;
  int port = 0;
  Scale* scale = nullptr;
  std::vector<std::uint8_t> in = std::vector<std::uint8_t>(kMaxRequestLength);
  std::size_t in_size = 0;
  long long last_input_us = 0;
  long long last_activity_us = 0;  // bytes read or a reply written
  std::vector<std::uint8_t> out;
  std::size_t out_at = 0;
  int requests = 0;
  bool holding = false;  // a delayed reply, or the rest of a split one, waits in held until due_us
  bool held_is_rest = false;  // held is the rest of a split reply
  std::vector<std::uint8_t> held;
  long long due_us = 0;
  ReadFaultState read_faults;
  bool finished = false;
};

std::string Hex(const std::uint8_t* bytes, std::size_t size) {
  std::string text(2 * size, '0');
  if (size > 0) common::BytesToHex(bytes, size, &text[0]);
  return text;
}

class Server {
 public:
  Server(const Options& options, common::MessageSink& messages)
      : options_(options),
        messages_(messages),
        faults_(options.faults),
        idle_timeout_us_(options.idle_timeout_seconds * kUsPerSecond) {}
  ~Server();
  int Run();

 private:
  bool Start();
  bool OpenListeners();
  void Loop();
  // True once the stop file has come.
  bool StopFileThere() const;
  // The poll's time limit: microseconds until the next timer is due (-1:
  // none); now and the timers in microseconds of net::NowUs.
  long long PollTimeout(long long now) const;
  void AcceptAll(Listener& listener);
  // Reads what has come; false if nothing more can be read now.
  bool ReadFrom(Connection& c);
  void Drain();
  void ProcessInput(Connection& c);
  void HandleRequest(Connection& c, const Frame& frame);
  void QueueReply(Connection& c, const std::vector<std::uint8_t>& reply);
  void Write(Connection& c, const std::uint8_t* bytes, std::size_t size);
  void ReleaseHeld(Connection& c);
  bool IsIdle(const Connection& c, long long now) const;
  void Flush(Connection& c);
  void Finish(Connection& c, bool reset);
  void RunTimers(long long now);
  bool Persist(Scale& scale);
  void Log(int port, const std::string& text);

  const Options& options_;
  common::MessageSink& messages_;
  const Faults& faults_;
  const long long idle_timeout_us_;  // 0: never
  std::map<int, std::unique_ptr<Scale>> scales_;
  std::vector<Listener> listeners_;
  std::vector<int> backlog_holders_;
  std::vector<std::unique_ptr<Connection>> connections_;
  LineLog log_;
  bool store_failed_ = false;
};

Server::~Server() {
  for (auto& c : connections_) net::Close(c->handle);
  for (Listener& l : listeners_) net::Close(l.handle);
  for (int h : backlog_holders_) net::Close(h);
}

void Server::Log(int port, const std::string& text) {
  if (!log_.is_open()) return;
  log_.Write(std::to_string(port) + " " + text);
}

bool Server::Persist(Scale& scale) {
  if (!scale.store.dirty) return true;
  std::string problem;
  if (SaveStore(scale.directory, &scale.store, &problem)) return true;
  messages_.Err(problem);
  store_failed_ = true;
  return false;
}

bool Server::Start() {
  if (!MakeDirectory(options_.store)) {
    messages_.Err("Cannot create the store directory\n");
    return false;
  }
  for (const Endpoint& e : options_.listen) {
    if (scales_.count(e.scale) != 0) continue;
    auto scale = std::make_unique<Scale>();
    scale->number = e.scale;
    scale->directory = ScaleDirectory(options_.store, e.scale);
    std::string problem;
    if (!LoadStore(scale->directory, &scale->store, &problem)) {
      messages_.Err(problem);
      return false;
    }
    scales_[e.scale] = std::move(scale);
  }
  if (!options_.log_file.empty() && !log_.Open(options_.log_file)) {
    messages_.Err("Cannot open the log file\n");
    return false;
  }
  if (!net::InstallStopSignals()) {
    messages_.Err("Cannot set up the stop signals\n");
    return false;
  }
  if (!faults_.refuse && !OpenListeners()) return false;
  if (!options_.ready_file.empty() && !ReplaceFileAtomically(options_.ready_file, "")) {
    messages_.Err("Cannot create the ready file\n");
    return false;
  }
  messages_.Out("ready\n");
  messages_.Flush();
  return true;
}

bool Server::OpenListeners() {
  for (const Endpoint& e : options_.listen) {
    std::string reason;
    int backlog = faults_.no_accept ? 0 : kListenBacklog;
    int handle = net::Listen(e.address, e.port, backlog, &reason);
    if (handle < 0) {
      std::string message = "scalesim: cannot listen on " + e.text + ": " + reason + "\n";
      messages_.Err(message);
      return false;
    }
    listeners_.push_back({handle, e.port, scales_[e.scale].get()});
    if (faults_.no_accept && !net::FillBacklog(handle, e.address, e.port, &backlog_holders_)) {
      messages_.Err("Cannot fill the listening backlog\n");
      return false;
    }
  }
  return true;
}

void Server::AcceptAll(Listener& listener) {
  while (connections_.size() < kMaxConnections) {
    int handle = net::Accept(listener.handle);
    if (handle < 0) return;
    auto c = std::make_unique<Connection>();
    c->handle = handle;
    c->port = listener.port;
    c->scale = listener.scale;
    c->last_activity_us = net::NowUs();
    Log(c->port, "open");
    connections_.push_back(std::move(c));
  }
}

void Server::Flush(Connection& c) {
  while (c.out_at < c.out.size()) {
    long n = net::Send(c.handle, c.out.data() + c.out_at, c.out.size() - c.out_at);
    if (n == net::kWouldBlock) return;
    if (n < 0) {
      Finish(c, false);
      return;
    }
    c.out_at += static_cast<std::size_t>(n);
  }
  c.out.clear();
  c.out_at = 0;
}

void Server::Finish(Connection& c, bool reset) {
  if (c.finished) return;
  c.finished = true;
  if (reset) {
    net::Reset(c.handle);
  } else {
    net::Close(c.handle);
  }
  c.handle = -1;
  Log(c.port, "close");
  Persist(*c.scale);
}

void Server::Write(Connection& c, const std::uint8_t* bytes, std::size_t size) {
  c.out.insert(c.out.end(), bytes, bytes + size);
  c.last_activity_us = net::NowUs();
  Flush(c);
}

void Server::QueueReply(Connection& c, const std::vector<std::uint8_t>& reply) {
  Log(c.port, "< " + Hex(reply.data(), reply.size()));
  std::size_t head = reply.size() > kSplitHeadLength ? kSplitHeadLength : 1;
  if (!faults_.split_reply || reply.size() <= head) {
    Write(c, reply.data(), reply.size());
    return;
  }
  // The head goes out now (TCP_NODELAY sends it at once), the rest later.
  Write(c, reply.data(), head);
  c.holding = true;
  c.held_is_rest = true;
  c.held.assign(reply.begin() + static_cast<long>(head), reply.end());
  c.due_us = net::NowUs() + faults_.split_pause_ms * kUsPerMs;
}

void Server::ReleaseHeld(Connection& c) {
  c.holding = false;
  std::vector<std::uint8_t> held = std::move(c.held);
  c.held.clear();
  if (c.held_is_rest) {
    c.held_is_rest = false;
    Write(c, held.data(), held.size());
  } else {
    QueueReply(c, held);
  }
  // Requests that came behind the reply get their turn.
  if (!c.finished) ProcessInput(c);
}

void Server::HandleRequest(Connection& c, const Frame& frame) {
  ++c.requests;
  Log(c.port, "> " + Hex(c.in.data(), frame.length));
  if (faults_.close_after > 0 && c.requests == faults_.close_after) {
    Flush(c);
    Finish(c, false);
    return;
  }
  if (faults_.reset_after > 0 && c.requests == faults_.reset_after) {
    Finish(c, true);
    return;
  }
  std::vector<std::uint8_t> reply;
  RequestFate fate = DecideRequestFate(faults_, c.requests, frame, c.in.data(), &c.scale->plu_records);
  switch (fate) {
    case RequestFate::kCarryOut:
      AnswerRequest(frame, c.in.data(), &c.scale->store, &reply);
      break;
    case RequestFate::kRefuse:
      reply.assign(1, kNak);
      break;
    case RequestFate::kDropPlu:
      reply.assign(1, kAck);
      break;
    case RequestFate::kAlterPlu: {
      // The packet with the record's price changed: F1, file code, record.
      std::vector<std::uint8_t> altered(c.in.data(), c.in.data() + frame.length);
      AlterPluPrice(altered.data() + 2, altered.size() - 2);
      AnswerRequest(frame, altered.data(), &c.scale->store, &reply);
      break;
    }
  }
  if (faults_.no_answer) return;
  // A refusal is the single byte 15, whatever the other faults do to answers.
  if (fate != RequestFate::kRefuse) {
    ApplyReadFaults(faults_, c.in.data(), frame.length, c.scale->store, &c.read_faults, &reply);
    ApplyReplyFaults(faults_, c.in.data(), frame.length, &reply);
  }
  if (faults_.delay_ms > 0) {
    c.holding = true;
    c.held = std::move(reply);
    c.due_us = net::NowUs() + faults_.delay_ms * kUsPerMs;
    return;
  }
  QueueReply(c, reply);
}

void Server::ProcessInput(Connection& c) {
  std::size_t at = 0;
  while (!c.holding && !c.finished) {
    Frame frame = FrameRequest(c.in.data() + at, c.in_size - at);
    if (frame.kind == FrameKind::kNeedMore) break;
    if (at > 0) {
      std::memmove(c.in.data(), c.in.data() + at, c.in_size - at);
      c.in_size -= at;
      at = 0;
    }
    HandleRequest(c, frame);
    at = frame.length;
  }
  if (at > 0 && !c.finished) {
    std::memmove(c.in.data(), c.in.data() + at, c.in_size - at);
    c.in_size -= at;
  }
}

bool Server::ReadFrom(Connection& c) {
  long n = net::Receive(c.handle, c.in.data() + c.in_size, c.in.size() - c.in_size);
  if (n == net::kWouldBlock) return false;
  if (n <= 0) {
    // The client has gone (or its socket failed): what it sent before is
    // answered as far as the socket still takes it.
    Flush(c);
    Finish(c, false);
    return false;
  }
  c.in_size += static_cast<std::size_t>(n);
  c.last_input_us = net::NowUs();
  c.last_activity_us = c.last_input_us;
  ProcessInput(c);
  return true;
}

void Server::Drain() {
  // On the way out, connections already made and requests already sent are
  // still taken in, so that the log holds everything clients did before the
  // stop; delayed replies go out at once.
  const int kMaxDrainReads = 64;
  if (!faults_.no_accept) {
    for (Listener& l : listeners_) AcceptAll(l);
  }
  for (auto& owned : connections_) {
    Connection& c = *owned;
    for (int i = 0; i < kMaxDrainReads && !c.finished; ++i) {
      if (c.holding) {
        ReleaseHeld(c);
        continue;
      }
      if (c.in_size == c.in.size() || !ReadFrom(c)) break;
    }
  }
}

void Server::RunTimers(long long now) {
  for (auto& owned : connections_) {
    Connection& c = *owned;
    if (c.finished) continue;
    if (c.holding && now >= c.due_us) ReleaseHeld(c);
    if (!c.finished && !c.holding && c.in_size > 0 && now - c.last_input_us >= kPartialRequestTimeoutUs) {
      // Whatever is buffered cannot become a request: drop it as one.
      Frame frame;
      frame.kind = FrameKind::kUnknown;
      frame.length = c.in_size;
      HandleRequest(c, frame);
      c.in_size = 0;
    }
    if (!c.finished && IsIdle(c, now)) Finish(c, false);
  }
}

bool Server::IsIdle(const Connection& c, long long now) const {
  // A connection that waits for a reply of ours is not idle.
  return idle_timeout_us_ > 0 && !c.holding && now - c.last_activity_us >= idle_timeout_us_;
}

bool Server::StopFileThere() const {
  return !options_.stop_file.empty() && access(options_.stop_file.c_str(), F_OK) == 0;
}

long long Server::PollTimeout(long long now) const {
  long long next = options_.stop_file.empty() ? -1 : now + kStopFileCheckUs;
  for (const auto& owned : connections_) {
    const Connection& c = *owned;
    long long due = -1;
    if (c.holding) {
      due = c.due_us;
    } else if (c.in_size > 0) {
      due = c.last_input_us + kPartialRequestTimeoutUs;
    }
    if (!c.holding && idle_timeout_us_ > 0) {
      long long idle_due = c.last_activity_us + idle_timeout_us_;
      if (due < 0 || idle_due < due) due = idle_due;
    }
    if (due >= 0 && (next < 0 || due < next)) next = due;
  }
  if (next < 0) return -1;
  return next <= now ? 0 : next - now;
}

void Server::Loop() {
  std::vector<net::PollEntry> entries;
  while (!net::StopRequested() && !StopFileThere()) {
    entries.clear();
    bool accepting = !faults_.no_accept && connections_.size() < kMaxConnections;
    if (accepting) {
      for (const Listener& l : listeners_) entries.push_back({l.handle, true, false, false, false});
    }
    std::size_t first_connection = entries.size();
    for (const auto& owned : connections_) {
      const Connection& c = *owned;
      net::PollEntry e;
      e.handle = c.handle;
      e.want_write = c.out_at < c.out.size();
      e.want_read = !c.holding && c.out.size() - c.out_at < kMaxPendingOutput && c.in_size < c.in.size();
      entries.push_back(e);
    }
    if (!net::Poll(&entries, PollTimeout(net::NowUs()))) {
      messages_.Err("Waiting for the sockets failed\n");
      return;
    }
    if (net::StopRequested()) return;
    std::size_t known = connections_.size();
    for (std::size_t i = 0; i < known; ++i) {
      Connection& c = *connections_[i];
      const net::PollEntry& e = entries[first_connection + i];
      if (!c.finished && e.writable) Flush(c);
      if (!c.finished && e.readable) ReadFrom(c);
    }
    if (accepting) {
      for (std::size_t i = 0; i < listeners_.size(); ++i) {
        if (entries[i].readable) AcceptAll(listeners_[i]);
      }
    }
    RunTimers(net::NowUs());
    std::size_t kept = 0;
    for (std::size_t i = 0; i < connections_.size(); ++i) {
      if (!connections_[i]->finished) connections_[kept++] = std::move(connections_[i]);
    }
    connections_.resize(kept);
  }
}

int Server::Run() {
  if (!Start()) return kExitStartFailed;
  Loop();
  Drain();
  for (auto& c : connections_) Finish(*c, false);
  connections_.clear();
  for (auto& [number, scale] : scales_) Persist(*scale);
  return store_failed_ ? kExitStoreFailed : kExitOk;
}

}  // namespace

int Serve(const Options& options, common::MessageSink& messages) {
  Server server(options, messages);
  return server.Run();
}

}  // namespace scalesim
