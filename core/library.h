// Process-wide library state: one core::Library object, reached from one
// place (library()), holds the settings, the library's lock, the pending-reply
// table, the send queue and the connection registry. Implemented in
// core/library.cpp.
#pragma once

#include "arx_api.h"
#include "core/connections.h"
#include "core/message_queue.h"
#include "core/pending_table.h"
#include "core/platform.h"
#include "core/reply_kinds.h"

#include <atomic>
#include <string_view>

namespace arx::core {

constexpr int kReplyTimeoutMs = 3000;   // base limit of every blocking wait
constexpr int kCommandPauseMs = 20;     // the pause every command takes before it sends

// Turns a pushed report line into the record the application callback gets.
// Supplied by the layer above (the protocol decoders) at initialisation.
using ReportDecoder = CallbackData (*)(Kind kind, SOCKHANDLE socket, std::string_view line, int joints);

// Built on first use and never destroyed: the send and receive threads are
// never joined, so they may still use it while the process exits. The large
// tables it refers to are zero-initialised static storage, so building it
// writes none of their megabytes.
struct Library {
    Library(PendingReplyTable& pending_table, MessageQueue& send_queue, Registry& registry)
        : pending(pending_table), queue(send_queue), connections(registry) {}

    // Settings: plain words read from any thread without a lock.
    std::atomic<int> model{ARM_MODEL_A};
    std::atomic<int> reply_timeout_ms{kReplyTimeoutMs};
    std::atomic<ArxCallback> callback{nullptr};
    std::atomic<ReportDecoder> report_decoder{nullptr};
    std::atomic<int> initialised{0};

    // The library's lock: slot registration and removal, the reply store and
    // scan, queue pushes and pops. Never held across a socket call.
    platform::Mutex mutex;
    PendingReplyTable& pending;  // under `mutex`
    MessageQueue& queue;         // under `mutex`
    Registry& connections;       // its own lock
};
Library& library();

// Stores the model, callback and report decoder, sets the reply timeout and
// re-creates the send queue empty; the first call also starts the send and
// receive threads.
void initialise(int model, ArxCallback callback, ReportDecoder decode_report);
// Releases the send queue: later queued lines are dropped.
void release_send_queue();

// Arx_API_Init has run at least once.
bool initialised();

// The arm model stored by the last Arx_API_Init (ARM_MODEL_A before any).
int arm_model();

// The joint count the protocol gave the connection at connect time; a
// handle with no registry entry counts as a six-joint connection.
int joint_count(SOCKHANDLE handle);


// The library's lock: slot registration and removal, the reply store and
// scan, queue pushes and pops. Never held across a socket call. Never destroyed.
platform::Mutex& library_mutex();

// The application callback stored by Arx_API_Init (may be null).
ArxCallback application_callback();
ReportDecoder report_decoder();

// Base limit of every blocking wait (kReplyTimeoutMs once initialised).
int reply_timeout_ms();

}  // namespace arx::core
