// The four ways a command line reaches the controller. Commands build the line
// and choose a path; registering, sending, waiting and routing live here.
#pragma once

#include "arx_api.h"
#include "core/connections.h"
#include "core/function_ref.h"
#include "core/pending_table.h"
#include "core/reply_kinds.h"

#include <optional>
#include <string_view>

namespace arx::core {

// Decodes a stored reply (zero-terminated text) into the caller's outputs and
// returns the command's result code. Referenced, not copied: the decoder
// lives in the calling command for the length of the call.
using ReplyDecoder = FunctionRef<int(const char* reply)>;

// Blocking path: registers a pending slot for `kind` (20 when the table is
// full), sends `line` on the calling thread (6 on failure, 18 while the
// connection downloads a trajectory file), waits up to the reply timeout plus
// `extension_ms` (7 on time-out, 6 when the connection is closed meanwhile)
// and returns decode(reply).
int request_blocking(SOCKHANDLE handle, std::string_view line, Kind kind,
                     ReplyDecoder decode, int extension_ms = 0);

// Non-blocking path: queues `line` for the send thread and returns 0; 20 with
// nothing queued when the queue is full; 6 when the handle is not an open
// connection or the controller has ended it. A queue released by
// Arx_API_UnInit drops the line (0). Queued lines leave one per 10 ms; a line
// for a connection that downloads a trajectory file waits for the download
// to end, without holding up other connections' lines.
int queue_line(SOCKHANDLE handle, std::string_view line);

// Send-only path: sends on the calling thread without waiting; 6 when the
// line could not be sent whole, 18 while a trajectory file downloads, else 0.
int send_only(SOCKHANDLE handle, std::string_view line);

// Callback-mode path: registers a slot nobody polls (20 when the table is
// full or the connection already holds kCallbackSlotsPerConnection of them),
// sends the line (6 or 18 on failure, slot removed) and returns 0; the
// receive thread turns the matching report into a CallbackData for the
// application callback and frees the slot, also when no callback is set.
int request_callback(SOCKHANDLE handle, std::string_view line, Kind kind);

// The send queue: created empty (dropping queued lines) by every
// initialisation, released by Arx_API_UnInit.
void queue_create(int capacity);
void queue_release();

// Lower-level pieces for commands with their own wait (the moves). A slot
// names one registration: once removed (by its caller, or by the close of its
// connection) it is gone for good, even when its place is taken again.
// request_blocking is built from these.

// Registers a pending slot (waiting = a caller waits on it; false: callback
// mode). std::nullopt when the table is full (result 20).
std::optional<SlotRef> register_slot(SOCKHANDLE handle, Kind kind, bool waiting);

// Sends `line` whole on the calling thread: 0, 6 when it could not be sent,
// 18 while the connection downloads a trajectory file.
int send_line(SOCKHANDLE handle, std::string_view line);

// One reply check: when the slot's reply has arrived, decodes it, removes the
// slot and returns the decoder's result; 6 when the slot's connection was
// closed; std::nullopt while nothing arrived.
std::optional<int> take_reply(SlotRef slot, ReplyDecoder decode);

// Waits up to max_ms for the slot's reply; the reply wakes the wait at once.
// Decoded result (slot removed) when it arrived; 6 when the connection was
// closed; std::nullopt when neither (slot kept).
std::optional<int> await_reply(SlotRef slot, int max_ms, ReplyDecoder decode);

// Waits up to `limit_ms` for the slot's reply. Returns the decoder's result,
// 7 on time-out, 6 when the connection was closed. The slot is removed either way.
int wait_reply(SlotRef slot, int limit_ms, ReplyDecoder decode);

void remove_slot(SlotRef slot);

// Registers a waiting slot for `kind` and sends `line`: 0 with *slot set, 20
// when the table is full, 6 or 18 when the send fails (the slot taken back).
// A trajectory-file download sends its announcement as SendRoute::TransferLine.
int start_request(SOCKHANDLE handle, std::string_view line, Kind kind, SlotRef* slot,
                  SendRoute route = SendRoute::Line);

// Raw bytes that are not a request line (a trajectory file's content), sent
// whole with the do-not-route flag: 0, or 6 when the send failed.
int send_raw_piece(SOCKHANDLE handle, std::string_view bytes);

// Ends what a closing connection owns here: its pending slots (waiting
// callers wake and return 6) and its queued lines.
void forget_connection(SOCKHANDLE handle);

}  // namespace arx::core
