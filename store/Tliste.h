#ifndef _TLISTE_H
#define _TLISTE_H

#include <SupportDefs.h>

// One stored message: the same 1032-byte image in memory and in the data
// file "/boot/home/murmelo.dat", little-endian, records back to back.
//
// Every reference and link is a uint32 so that the image stays 1032 bytes on
// a 64-bit host:
//  - suivant and precedent hold node handles of this process (0 = none; see
//    tliste_node()). In the file they mean nothing and are written as zero.
//  - from, to and realfrom hold the same names reference: 1 + the offset of
//    an entry in the side file "/boot/home/murmelo.dat.names", 0 for no
//    names. That file only grows, like the data file. An entry is "MNAM",
//    a uint32 total length, a uint32 check (FNV-1a of this record's 1000
//    message bytes), then the sender, the recipient and the real recipient
//    as NUL-terminated strings of at most 255 bytes each. The intake appends
//    the entry in one O_APPEND write and learns its offset from the file
//    position that write leaves, so concurrent intakes never mix names up.
//    A reference is followed only when magic, length and check all match;
//    anything else (old files, garbage, a missing side file) reads as an
//    unknown sender. See MessageNames.h.
//  - time: 1 + the offset of the message's arrival entry in the same side
//    file, written by the intake right behind the names entry in the same
//    write: "MTIM", a uint32 length (20), the same check, then an int64 of
//    microseconds since 1970 (UTC). 0 for records stored without one.
//  - ip is never filled and stays 0.
struct Tliste {
	char message[1000];
	uint32 from;
	uint32 to;
	uint32 ip;
	uint32 realfrom;
	uint32 time;
	// A byte rather than a bool: the file may hold any value here, and a
	// record is new exactly when the byte is 1.
	uint8 is_new;
	uint8 padding[3];
	uint32 suivant;
	uint32 precedent;

	// The neighbours in the in-memory list, or NULL.
	Tliste* next() const;
	Tliste* previous() const;
};

typedef Tliste* Tpop;

static const int32 kRecordSize = 1032;
static const int32 kMessageSize = 1000;

static_assert(sizeof(Tliste) == 1032);
static_assert(offsetof(Tliste, message) == 0);
static_assert(offsetof(Tliste, from) == 1000);
static_assert(offsetof(Tliste, to) == 1004);
static_assert(offsetof(Tliste, ip) == 1008);
static_assert(offsetof(Tliste, realfrom) == 1012);
static_assert(offsetof(Tliste, time) == 1016);
static_assert(offsetof(Tliste, is_new) == 1020);
static_assert(offsetof(Tliste, suivant) == 1024);
static_assert(offsetof(Tliste, precedent) == 1028);

// The process-wide node handle table behind suivant and precedent. A node
// gets a handle when it enters a list and loses it when the list deletes it.
uint32 tliste_register(Tliste* node);
void tliste_unregister(Tliste* node);
// The node of a handle; NULL for 0 or a handle no longer in use.
Tliste* tliste_node(uint32 handle);
// The handle of a registered node; 0 for NULL or an unregistered node.
uint32 tliste_handle(const Tliste* node);

#endif
