// What a pass of the device listing shows its findings with: the text displays, or
// a machine-output document. The selection engine decides what to fetch and what
// each slot's outcome is; a view only shows.
#pragma once

#include <stdint.h>

#include "device_fetch.h"

struct ListingView {
    // A pass of list_devices begins (pass counts from 1) or ends with its result.
    void (*begin_pass)(int32_t pass, uint32_t query_flags, uint32_t request_code);
    void (*end_pass)(int32_t result);
    // The all-devices title; `of` is "devices", "iscsi", "fc", "sas" or "csv",
    // `text` the message as the text form prints it.
    void (*title)(const char* of, int32_t count, const char* text);
    // A fetched record that passed the interface filter.
    void (*record)(const DeviceFetch* f, uint32_t query_flags, uint32_t request_code);
    // A slot known only by its message: `status` says why ("removed", "absent",
    // "invalid", "failed", "other-interface"); `through` is the last slot the
    // message covers (== slot for one).
    void (*slot_message)(const char* status, int32_t slot, int32_t through, const char* text);
    // A message of the pass about no single slot; `framed`: printed as "\n%s\n".
    void (*pass_message)(const char* text, bool framed);
    // The scope `of` holds no device at all (no CSV disk): the text form shows only
    // `text`; a document still names its scope, so a saved listing can be compared.
    void (*empty_scope)(const char* of, const char* text);
};

// The text form: the displays and messages of the console.
const ListingView* text_listing_view();
// The machine form: one JSON document per pass (json/listing_document.cpp).
const ListingView* json_listing_view();
