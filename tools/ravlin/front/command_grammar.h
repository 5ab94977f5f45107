// The command grammar: which handler a command line selects, with which
// arguments, or which grammar error it is. Pure: it prints nothing and touches
// neither the driver nor the settings. The rows never see an output word.
#pragma once

#include <stdint.h>

#include "output_words.h"

// -whatif or -ifsafe in front of a change that takes paths offline.
enum class GuardMode { None, WhatIf, IfSafe };

enum class CommandKind {
    InvalidCommand,
    InvalidArgument,
    ShowVersions,
    QueryWwpn,
    QueryPort,
    RescanHardware,
    ShowAdapters,
    ListDevices,
    ShowAdapterStats,
    ShowEssMap,
    ShowPortMap,
    GetRetryDelay,
    SetRetryDelay,
    GetRepeat,
    SetRepeat,
    SetAdapterState,
    SetPathState,
    SetPreferredPath,
    SetPolicy,
    SetPerformance,
    SetPortState,
    ClearCounters,
    SetTrace,
    QueryHealth,
    QueryDiff,
};

struct Command {
    CommandKind kind;
    bool needs_device;      // false: served (or rejected) before the device is opened
    int32_t number;         // adapter, device, first device, performance device
    int32_t number2;        // path, last device
    int32_t value;          // preferred flag, retry delay, performance mode, build flag
    uint32_t flags;         // adapter_flags, or query_flags before option parsing
    uint32_t request_code;  // the listing's request
    uint32_t repeat_error;
    uint32_t repeat_interval;
    uint32_t perf_collection;
    const char* word;       // action, policy, counter kind, trace level, model, count word
    const char* word2;      // scope (null when none), port name
    const char* word3;      // ESS identifier
    bool all_adapters;      // -a on the adapter query
    bool present_only;      // -c seen first (applied after option parsing)
    bool csv_only;          // -csv seen first
    bool json;              // the line chose JSON output: output and failures as JSON documents
    GuardMode guard;        // -whatif or -ifsafe on a change that takes paths offline
    bool guard_tpgs;        // -tpgs beside it
    bool guard_json;        // -json beside -whatif: the what-if as a document
};

// Matches a command line whose output words are already taken off against the grammar.
Command parse_command_line(const CommandLine& line);

// The same for the k words W1..Wk (words[0] is W1), output words and all.
Command parse_command(int k, const char* const* words);
