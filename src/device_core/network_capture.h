// A capture of the network: every listed device as the service reports it, in listing
// order, with the information it answered and, for each compatible device, its location
// bytes and its whole label area, written as the simulator's network description so that
// a rehearsal can replay the venue.
#ifndef SRC_DEVICE_CORE_NETWORK_CAPTURE_H_
#define SRC_DEVICE_CORE_NETWORK_CAPTURE_H_

#include <string>

#include "basic_type/basic_type.h"
#include "device_core/label_reading.h"
#include "device_core/network_view.h"

// What a capture holds of a compatible device: its location bytes, and its entries read
// whole when the area could be read (an area over its location bytes is not).
struct captured_area_t {
    label_location_t m_location;
    label_entries_t m_entries;  // empty: the area was not read
};

// The head of a capture: a comment with the program's version, and the network's name.
std::string capture_head(const network_view_t& p_view, const char* p_version);
// One answered device in the simulator's network description: its line, then, for a
// compatible device (p_area given), its location bytes and one line per non-empty entry.
std::string captured_device_text(const network_device_t& p_device, const captured_area_t* p_area);
// The line a capture holds for a listed device that gave no information answer, and for a
// compatible device whose label area could not be read.
std::string uncaptured_device_text(const network_device_t& p_device);
std::string unread_device_text(const network_device_t& p_device);

#endif  // SRC_DEVICE_CORE_NETWORK_CAPTURE_H_
