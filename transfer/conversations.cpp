#include "transfer/conversations.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/files.h"
#include "transfer/results.h"
#include "transfer/transfer_files.h"

namespace transfer {
namespace {

constexpr std::size_t kPacketHeaderBytes = 2;
constexpr std::size_t kKeyPacketBytes = kPacketHeaderBytes + kKeyBytes;

// Opens an outgoing file and checks it. Null (after the message) when it
// cannot be opened or is not well formed; the file is then closed.
std::FILE* OpenCheckedOutgoingFile(const std::string& name, OutgoingFormat format, bool with_errno, long* text_length) {
  std::FILE* file = std::fopen(platform::ResolveName(name).c_str(), "rb");
  if (file == nullptr) {
    const int error = errno;
    if (with_errno) {
      std::printf("\nfopen %s failed err = %d\n", name.c_str(), error);
    } else {
      std::printf("\nfopen %s failed\n", name.c_str());
    }
    return nullptr;
  }
  long bad_offset = 0;
  if (!CheckOutgoingFile(file, format, text_length, &bad_offset) || std::fseek(file, 0, SEEK_SET) != 0) {
    std::printf("\nBad record file %s at offset %ld\n", name.c_str(), bad_offset);
    std::fclose(file);
    return nullptr;
  }
  return file;
}

void FillKeyPacket(std::uint8_t* packet, std::uint8_t command, std::uint8_t file_code, const std::uint8_t* key) {
  packet[0] = command;
  packet[1] = file_code;
  std::memcpy(packet + kPacketHeaderBytes, key, kKeyBytes);
}

}  // namespace

bool IsEndReply(std::uint8_t first_byte) { return first_byte >= 0xE0 && first_byte <= 0xE2; }

int RecordLoad(ConnectionTable& connections, int handle, std::uint8_t file_code, const std::string& outgoing_name) {
  long text_length = 0;
  std::FILE* file = OpenCheckedOutgoingFile(outgoing_name, OutgoingFormat::kRecords, true, &text_length);
  if (file == nullptr) {
    connections.Close(handle);
    return kResultFileUnusable;
  }
  OutgoingReader reader(file, text_length);
  std::uint8_t packet[kPacketHeaderBytes + kMaxRecordBytes];
  std::uint8_t reply[kMaxReplyBytes];
  packet[0] = kRecordCommand;
  packet[1] = file_code;
  int result = handle;
  std::size_t length = 0;
  while (reader.NextRecord(packet + kPacketHeaderBytes, &length)) {
    connections.Send(handle, packet, kPacketHeaderBytes + length);
    const long received = connections.Receive(handle, reply, sizeof reply);
    if (received <= 0) {
      connections.Close(handle);
      std::printf("Nread control %ld\n", received);
      std::fclose(file);
      // A scale that closed before its reply did not take the record.
      return received == 0 ? kResultNoReply : kResultReceiveFailed;
    }
    result = static_cast<int>(received);
  }
  std::fclose(file);
  connections.Close(handle);
  return result;
}

int KeyLoad(ConnectionTable& connections, int handle, std::uint8_t file_code, const std::string& outgoing_name) {
  long text_length = 0;
  std::FILE* file = OpenCheckedOutgoingFile(outgoing_name, OutgoingFormat::kKeys, false, &text_length);
  if (file == nullptr) {
    connections.Close(handle);
    return kResultFileUnusable;
  }
  OutgoingReader reader(file, text_length);
  std::uint8_t key[kKeyBytes];
  std::uint8_t packet[kKeyPacketBytes];
  std::uint8_t reply[kMaxReplyBytes];
  int result = handle;
  while (reader.NextKey(key)) {
    FillKeyPacket(packet, kKeyCommand, file_code, key);
    connections.Send(handle, packet, sizeof packet);
    const long received = connections.Receive(handle, reply, sizeof reply);
    if (received <= 0) {
      connections.Close(handle);
      std::printf("Nread control %ld\n", received);
      std::fclose(file);
      return kResultNoReply;
    }
    result = static_cast<int>(received);
  }
  std::fclose(file);
  connections.Close(handle);
  return result;
}

int FileCommand(ConnectionTable& connections, int handle) {
  const std::uint8_t packet[kPacketHeaderBytes] = {kFileCommand, kFilePacketCode};
  std::uint8_t reply[kMaxReplyBytes];
  connections.Send(handle, packet, sizeof packet);
  const long received = connections.Receive(handle, reply, sizeof reply);
  connections.Close(handle);
  if (received <= 0) {
    std::printf("Nread control %ld\n", received);
    return kResultNoReply;
  }
  return static_cast<int>(received);
}

int ReadRecords(ConnectionTable& connections, int handle, std::uint8_t file_code, const std::string& incoming_name,
                bool paired) {
  std::FILE* file = std::fopen(platform::ResolveName(incoming_name).c_str(), "wb");
  if (file == nullptr) {
    std::printf("\nfopen %s failed\n", incoming_name.c_str());
    connections.Close(handle);
    return kResultFileUnusable;
  }
  // The buffer keeps what earlier replies left: a reply shorter than a key
  // takes the rest of its key from them.
  std::uint8_t reply[kMaxReplyBytes] = {};
  std::uint8_t key_reply[kMaxReplyBytes];
  std::uint8_t key[kKeyBytes];
  std::uint8_t packet[kKeyPacketBytes];
  bool first_pass = true;
  int result = 0;
  do {
    std::memcpy(key, reply, kKeyBytes);
    FillKeyPacket(packet, kReadCommand, file_code, key);
    connections.Send(handle, packet, sizeof packet);
    const long received = connections.Receive(handle, reply, sizeof reply);
    if (received <= 0) {
      std::printf("Nread control %ld\n", received);
      connections.Close(handle);
      std::fclose(file);
      return kResultNoReply;
    }
    // A scale that answers with the record asked for again would keep the
    // read going for ever.
    if (!first_pass && !IsEndReply(reply[0]) && std::memcmp(reply, key, kKeyBytes) == 0) {
      connections.Close(handle);
      std::fclose(file);
      return kResultNoReply;
    }
    if (!AppendReply(file, reply, static_cast<std::size_t>(received))) {
      std::printf("file write error\n");
      connections.Close(handle);
      std::fclose(file);
      return kResultKeyReplyOrWriteFailed;
    }
    result = static_cast<int>(received);
    if (paired) {
      FillKeyPacket(packet, kKeyCommand, file_code, key);
      connections.Send(handle, packet, sizeof packet);
      const long key_received = connections.Receive(handle, key_reply, sizeof key_reply);
      if (key_received <= 0) {
        std::printf("Nread control %ld\n", key_received);
        connections.Close(handle);
        std::fclose(file);
        return kResultKeyReplyOrWriteFailed;
      }
      result = static_cast<int>(key_received);
    }
    first_pass = false;
  } while (!IsEndReply(reply[0]));
  std::fclose(file);
  connections.Close(handle);
  return result;
}

}  // namespace transfer
