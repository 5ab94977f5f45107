// The configuration commands: maps, model settings, states, policies, counters and
// trace. Each prints its own messages and returns the run's result (0, -1, 3 or a
// system error code).
#pragma once

#include <stdint.h>

int32_t show_ess_map();
int32_t show_port_map();
int32_t get_retry_delay(const char* model);
int32_t set_retry_delay(const char* model, int32_t delay);
int32_t get_repeat(const char* model);
int32_t set_repeat(const char* model, uint32_t repeat_error, uint32_t repeat_interval);
int32_t set_adapter_state(int32_t adapter, const char* word, int32_t show);
int32_t set_path_state(uint32_t device, int32_t path, const char* word, int32_t show);
int32_t set_preferred_path(uint32_t device, uint32_t path, int32_t flag);
int32_t set_policy(int32_t first, int32_t last, const char* policy, const char* scope);
int32_t set_performance(int32_t mode, int32_t device);
int32_t set_port_state(const char* action, const char* port, const char* ess_id);
int32_t clear_counters(int32_t first, int32_t last, const char* kind);
int32_t set_trace(const char* level);
