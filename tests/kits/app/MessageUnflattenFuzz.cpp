// libFuzzer target: whatever bytes arrive as a flattened message (from a
// file or another process), Unflatten must neither crash nor hang, and a
// message it accepts must read back and flatten to the same bytes again.
#include <Entry.h>
#include <Message.h>
#include <Messenger.h>

#include <stdlib.h>
#include <string.h>

#include <vector>

namespace {

void
check(bool condition)
{
	if (!condition)
		abort();
}

std::vector<char>
flatten(const BMessage& message)
{
	ssize_t size = message.FlattenedSize();
	check(size > 0);
	std::vector<char> flat(size);
	check(message.Flatten(flat.data(), size) == B_OK);
	return flat;
}

// Reads every item the way a handler would; nothing may go past an item
// (a string may hold a NUL before its end, as AddData() can store it).
void
read_all(const BMessage& message, int depth)
{
	char* name;
	type_code type;
	int32 count;
	for (int32 i = 0; message.GetInfo(B_ANY_TYPE, i, &name, &type, &count) == B_OK; i++) {
		for (int32 j = 0; j < count; j++) {
			const void* data;
			ssize_t size;
			check(message.FindData(name, type, j, &data, &size) == B_OK);
			const char* text;
			entry_ref ref;
			BMessenger messenger;
			BMessage inner;
			switch (type) {
				case B_STRING_TYPE:
					if (message.FindString(name, j, &text) == B_OK)
						check(strlen(text) < (size_t)size);
					break;
				case B_REF_TYPE:
					message.FindRef(name, j, &ref);
					break;
				case B_MESSENGER_TYPE:
					message.FindMessenger(name, j, &messenger);
					break;
				case B_MESSAGE_TYPE:
					if (depth < 8 && message.FindMessage(name, j, &inner) == B_OK)
						read_all(inner, depth + 1);
					break;
			}
		}
	}
	int32 index;
	BMessage specifier;
	int32 what;
	const char* property;
	message.GetCurrentSpecifier(&index, &specifier, &what, &property);
}

} // namespace

extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	BMessage message;
	if (message.Unflatten((const char*)data, size) != B_OK)
		return 0;
	read_all(message, 0);
	std::vector<char> flat = flatten(message);
	BMessage again;
	check(again.Unflatten(flat.data(), flat.size()) == B_OK);
	check(again.what == message.what);
	check(flatten(again) == flat);
	return 0;
}
