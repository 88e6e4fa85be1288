// Process-wide library state that the commands read: settings, flags and the
// connection registry lookups. Implemented in core/library.cpp.
#pragma once

#include "arx_api.h"
#include "core/platform.h"

namespace arx::core {

constexpr int kReplyTimeoutMs = 3000;   // base limit of every blocking wait
constexpr int kCommandPauseMs = 20;     // the pause every command takes before it sends

// Arx_API_Init has run at least once.
bool initialised();

// The arm model stored by the last Arx_API_Init (ARM_MODEL_A before any).
int arm_model();

// Per-connection facts recorded at connect time. A handle with no registry
// entry is treated as a six-joint connection of the current arm model.
int joint_count(SOCKHANDLE handle);
int connection_model(SOCKHANDLE handle);

// Pause on the calling thread.
void pause_ms(int milliseconds);

// The library's one lock: slot registration and removal, the reply store and
// scan, queue pushes and each pop-and-send of the send thread. Never destroyed.
platform::Mutex& library_mutex();

// The application callback stored by Arx_API_Init (may be null).
ArxCallback application_callback();

// Base limit of every blocking wait (kReplyTimeoutMs once initialised).
int reply_timeout_ms();

}  // namespace arx::core
