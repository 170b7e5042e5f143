#ifndef _HISTORY_SUPPORT_H
#define _HISTORY_SUPPORT_H

// Data files for the history window, for its test and its benchmark.

#include <HostPath.h>
#include <MessageNames.h>
#include <PopClass.h>
#include <Tliste.h>

#include <stdio.h>
#include <string.h>

#include <functional>
#include <string>
#include <vector>

// 1 Dec 2025 08:00 UTC; record i arrived i seconds later.
const int64 kFirstArrival = 1764576000LL * 1000000;

struct HistorySample {
	std::string text;
	std::string from;
	std::string to;
	// An older record: no names, no arrival time.
	bool old = false;
};

// Appends count records to the data file of the boot volume, sample(i)
// telling what record i (1-based, counted from the first appended) holds.
inline void
append_history_records(int32 count, const std::function<HistorySample(int32)>& sample)
{
	std::vector<Tliste> records(count);
	for (int32 i = 0; i < count; i++) {
		HistorySample s = sample(i + 1);
		Tliste& rec = records[i];
		memset(&rec, 0, sizeof(rec));
		memcpy(rec.message, s.text.data(), std::min<size_t>(s.text.size(), kMessageSize));
		if (s.old)
			continue;
		uint32 arrival = 0;
		uint32 names = append_message_names(&rec, s.from.c_str(), s.to.c_str(), "",
			kFirstArrival + (int64)(i + 1) * 1000000, &arrival);
		rec.from = rec.to = rec.realfrom = names;
		rec.time = arrival;
	}
	FILE* file = fopen(host_path(MURMELO_DATA_FILE).String(), "ab");
	fwrite(records.data(), sizeof(Tliste), records.size(), file);
	fclose(file);
}

// The 100,000-record file: every 1,000th message is about the printer, one
// sender and one recipient name it too.
inline HistorySample
printer_sample(int32 i)
{
	HistorySample s;
	s.text = i % 1000 == 7 ? "The Printer on floor 3 is out of paper #" + std::to_string(i)
						   : "message #" + std::to_string(i);
	s.from = i == 50 ? "PRINTER_ROOM" : "friend" + std::to_string(i % 7);
	s.to = i == 60 ? "printers" : "pc" + std::to_string(i % 3);
	return s;
}

const int32 kPrinterMessages = 102;

#endif
