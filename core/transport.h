// The four ways a command line reaches the controller. Commands build the line
// and choose a path; registering, sending, waiting and routing live here.
#pragma once

#include "arx_api.h"
#include "core/function_ref.h"
#include "core/reply_kinds.h"

#include <optional>
#include <string_view>

namespace arx::core {

// Decodes a stored reply (zero-terminated text) into the caller's outputs and
// returns the command's result code. Referenced, not copied: the decoder
// lives in the calling command for the length of the call.
using ReplyDecoder = FunctionRef<int(const char* reply)>;

// Blocking path: registers a pending slot for `kind` (20 when the table is
// full), sends `line` on the calling thread (6 on failure), waits up to the
// reply timeout plus `extension_ms` (7 on time-out) and returns decode(reply).
int request_blocking(SOCKHANDLE handle, std::string_view line, Kind kind,
                     ReplyDecoder decode, int extension_ms = 0);

// Non-blocking path: queues `line` for the send thread and returns 0. A full
// queue, or a queue released by Arx_API_UnInit, drops the line.
int queue_line(SOCKHANDLE handle, std::string_view line);

// Send-only path: sends on the calling thread without waiting; 6 when the
// line could not be sent whole, else 0.
int send_only(SOCKHANDLE handle, std::string_view line);

// Callback-mode path: registers a slot nobody polls (20 when full), sends the
// line (6 on failure, slot removed) and returns 0; the receive thread turns the
// matching report into a CallbackData for the application callback.
int request_callback(SOCKHANDLE handle, std::string_view line, Kind kind);

// The send queue: created empty (dropping queued lines) by every
// initialisation, released by Arx_API_UnInit.
void queue_create(int capacity);
void queue_release();

// Lower-level pieces for commands with their own wait (the moves). A slot id
// stays valid until the slot is removed; request_blocking is built from these.

// Registers a pending slot (waiting = a caller waits on it; false: callback
// mode). The slot id, or std::nullopt when the table is full (result 20).
std::optional<int> register_slot(SOCKHANDLE handle, Kind kind, bool waiting);

// Sends `line` whole on the calling thread: 0, or 6 when it could not be sent.
int send_line(SOCKHANDLE handle, std::string_view line);

// One reply check: when the slot's reply has arrived, decodes it, removes the
// slot and returns the decoder's result; std::nullopt while nothing arrived.
std::optional<int> take_reply(int slot, ReplyDecoder decode);

// Waits up to max_ms for the slot's reply; the reply wakes the wait at once.
// Decoded result (slot removed) when it arrived; std::nullopt when not (slot kept).
std::optional<int> await_reply(int slot, int max_ms, ReplyDecoder decode);

// Waits up to `limit_ms` for the slot's reply. Returns the decoder's result,
// or 7 on time-out. The slot is removed either way.
int wait_reply(int slot, int limit_ms, ReplyDecoder decode);

void remove_slot(int slot);

// Registers a waiting slot for `kind` and sends `line`: 0 with *slot set, 20
// when the table is full, 6 when the send fails (the slot taken back).
int start_request(SOCKHANDLE handle, std::string_view line, Kind kind, int* slot);

// Raw bytes that are not a request line (a trajectory file's content), sent
// whole with the do-not-route flag; their length, or -1 when the send failed.
long send_raw_piece(SOCKHANDLE handle, std::string_view bytes);

}  // namespace arx::core
