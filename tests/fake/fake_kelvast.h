// Control side of the recording fake storage library: tests script what it
// answers and read back every call it received, as one line of text each.
#ifndef FAKE_KELVAST_H
#define FAKE_KELVAST_H

#if defined(_WIN32) && !defined(FAKE_KELVAST_BUILD)
#define FAKE_API __declspec(dllimport)
#else
#define FAKE_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Forgets every script and every recorded call.
FAKE_API void fake_reset(void);
// What at_connect_to_network answers (default 1).
FAKE_API void fake_set_connect_result(int result);
// What at_get_network_str answers; null makes it answer null (default "NET:").
FAKE_API void fake_set_network_name(const char* name);
// Adds an area reported for pattern ("C:*"), written back exactly as given
// (with or without a device prefix). A pattern with areas counts them and
// answers 1; any other pattern answers 0.
FAKE_API void fake_add_area(const char* pattern, const char* rawName);
// Makes at_count_storage_areas answer result with count for pattern.
FAKE_API void fake_set_count(const char* pattern, int result, unsigned long count);
// Adds an item of type code at path ("C:PATTERNS"), matched with * and ?.
FAKE_API void fake_add_item(const char* path, int type, const char* name, int size, int modTime);

// Each item walk call takes ms longer, as over a slow store.
FAKE_API void fake_set_item_delay(unsigned ms);
// What an item walk call answers when it hands back an item (default 1).
FAKE_API void fake_set_item_result(int result);

// Recorded calls, oldest first, such as "connect", "set_network NETWORK",
// "get_network \\. 4", "count C:*", "areas C:* 0", "data 9 C:PATTERNS AB* 0".
FAKE_API int fake_call_count(void);
FAKE_API const char* fake_call(int index);
// Calls whose line starts with prefix.
FAKE_API int fake_count_calls(const char* prefix);
// Module state current during the last at_set_network_str call.
FAKE_API void* fake_state_at_set_network(void);
FAKE_API void fake_set_state_probe(void* (*probe)(void));

#ifdef __cplusplus
}
#endif

#endif
