#include <Message.h>

#include <Entry.h>
#include <Looper.h>
#include <Messenger.h>

#include "AppPrivate.h"
#include "TeamLink.h"

#include <stdio.h>
#include <string.h>

#include <unordered_set>

namespace {

const uint32 kFlatMagic = 'MFM1';

void
put32(std::vector<uint8>& out, uint32 value)
{
	uint8 bytes[4];
	memcpy(bytes, &value, 4);
	out.insert(out.end(), bytes, bytes + 4);
}

// Reads from a flat buffer without ever passing its end.
struct Reader {
	const uint8* data;
	size_t size;
	size_t at = 0;

	bool Get32(uint32* value)
	{
		if (size - at < 4)
			return false;
		memcpy(value, data + at, 4);
		at += 4;
		return true;
	}

	bool GetBytes(size_t length, const uint8** bytes)
	{
		if (size - at < length)
			return false;
		*bytes = data + at;
		at += length;
		return true;
	}
};

} // namespace

namespace BPrivate {
void flatten_message(const BMessage& message, std::vector<uint8>& out);
}

using BPrivate::flatten_message;

BMessage::BMessage() : what(0)
{
}

BMessage::BMessage(uint32 what) : what(what)
{
}

BMessage::BMessage(const BMessage& other)
	: what(other.what),
	  fFields(other.fFields),
	  fIsReply(other.fIsReply),
	  fCurrentSpecifier(other.fCurrentSpecifier),
	  fWasDelivered(false),
	  fPrevious(other.fPrevious)
{
}

BMessage::~BMessage()
{
	// A synchronous sender must not wait for ever for a message that was
	// dropped unanswered.
	if ((fReplySlot != nullptr || fRemoteReply != nullptr) && !fReplied) {
		BMessage noReply(B_NO_REPLY);
		SendReply(&noReply);
	}
}

BMessage&
BMessage::operator=(const BMessage& other)
{
	if (this == &other)
		return *this;
	what = other.what;
	fFields = other.fFields;
	fIsReply = other.fIsReply;
	fCurrentSpecifier = other.fCurrentSpecifier;
	fPrevious = other.fPrevious;
	return *this;
}

status_t
BMessage::GetInfo(type_code typeRequested, int32 index, char** nameFound, type_code* typeFound,
	int32* countFound) const
{
	if (index < 0)
		return B_BAD_INDEX;
	for (const Field& field : fFields) {
		if (typeRequested != B_ANY_TYPE && field.type != typeRequested)
			continue;
		if (index-- > 0)
			continue;
		if (nameFound != NULL)
			*nameFound = const_cast<char*>(field.name.c_str());
		if (typeFound != NULL)
			*typeFound = field.type;
		if (countFound != NULL)
			*countFound = (int32)field.items.size();
		return B_OK;
	}
	return fFields.empty() ? B_BAD_INDEX : B_BAD_INDEX;
}

status_t
BMessage::GetInfo(const char* name, type_code* typeFound, int32* countFound) const
{
	if (name == NULL)
		return B_BAD_VALUE;
	const Field* field = _FindField(name);
	if (field == NULL)
		return B_NAME_NOT_FOUND;
	if (typeFound != NULL)
		*typeFound = field->type;
	if (countFound != NULL)
		*countFound = (int32)field->items.size();
	return B_OK;
}

status_t
BMessage::GetInfo(const char* name, type_code* typeFound, bool* fixedSize) const
{
	if (name == NULL)
		return B_BAD_VALUE;
	const Field* field = _FindField(name);
	if (field == NULL)
		return B_NAME_NOT_FOUND;
	if (typeFound != NULL)
		*typeFound = field->type;
	if (fixedSize != NULL)
		*fixedSize = field->fixedSize;
	return B_OK;
}

int32
BMessage::CountNames(type_code type) const
{
	int32 count = 0;
	for (const Field& field : fFields) {
		if (type == B_ANY_TYPE || field.type == type)
			count++;
	}
	return count;
}

bool
BMessage::IsSystem() const
{
	char first = (char)(what >> 24);
	return first == '_';
}

void
BMessage::PrintToStream() const
{
	char code[5] = {(char)(what >> 24), (char)(what >> 16), (char)(what >> 8), (char)what, 0};
	printf("BMessage('%s') {\n", code);
	for (const Field& field : fFields) {
		char type[5] = {(char)(field.type >> 24), (char)(field.type >> 16),
			(char)(field.type >> 8), (char)field.type, 0};
		for (size_t i = 0; i < field.items.size(); i++) {
			const std::vector<uint8>& item = field.items[i];
			printf("        %s[%zu], type = '%s', size = %zu", field.name.c_str(), i, type,
				item.size());
			if (field.type == B_STRING_TYPE && !item.empty())
				printf(", string = \"%s\"", (const char*)item.data());
			else if (field.type == B_INT32_TYPE && item.size() == 4) {
				int32 value;
				memcpy(&value, item.data(), 4);
				printf(", int32 = %d", (int)value);
			}
			printf("\n");
		}
	}
	printf("}\n");
}

status_t
BMessage::Rename(const char* oldEntry, const char* newEntry)
{
	if (oldEntry == NULL || newEntry == NULL)
		return B_BAD_VALUE;
	Field* field = _FindField(oldEntry);
	if (field == NULL)
		return B_NAME_NOT_FOUND;
	if (_FindField(newEntry) != NULL)
		RemoveName(newEntry);
	field = _FindField(oldEntry);
	field->name = newEntry;
	return B_OK;
}

bool
BMessage::IsSourceWaiting() const
{
	return (fReplySlot != nullptr || fRemoteReply != nullptr) && !fReplied;
}

BMessenger
BMessage::ReturnAddress() const
{
	BMessenger messenger;
	if (fReplyLooper != NULL)
		messenger._SetTo(fReplyLooper, fReplyToken);
	else if (fReturnTeam >= 0)
		messenger._SetToTeam(fReturnTeam, fReturnLooper,
			fReturnPreferred ? -1 : fReturnHandler);
	return messenger;
}

status_t
BMessage::SendReply(uint32 command, BHandler* replyTo)
{
	BMessage reply(command);
	return SendReply(&reply, replyTo);
}

status_t
BMessage::SendReply(BMessage* reply, BHandler* replyTo, bigtime_t timeout)
{
	BMessenger messenger;
	if (replyTo != NULL)
		messenger = BMessenger(replyTo);
	return SendReply(reply, messenger, timeout);
}

status_t
BMessage::SendReply(BMessage* reply, BMessenger replyTo, bigtime_t timeout)
{
	if (reply == NULL)
		return B_BAD_VALUE;
	if (fReplied)
		return B_DUPLICATE_REPLY;

	if (fRemoteReply != nullptr) {
		fReplied = true;
		std::shared_ptr<BPrivate::RemoteReply> remote = fRemoteReply;
		return remote->Send(reply, replyTo._TeamForReply(), replyTo._LooperToken(),
			replyTo._HandlerToken(), replyTo._HandlerToken() < 0, NULL, timeout, 0);
	}
	if (fReplySlot != nullptr) {
		fReplied = true;
		std::shared_ptr<BPrivate::ReplySlot> slot = fReplySlot;
		{
			std::lock_guard<std::mutex> guard(slot->lock);
			slot->reply = *reply;
			slot->reply.fIsReply = true;
			slot->reply.fPrevious = std::make_shared<BMessage>(*this);
			if (replyTo._Looper() != NULL) {
				slot->reply.fReplyLooper = replyTo._Looper();
				slot->reply.fReplyToken = replyTo._HandlerToken();
			} else if (replyTo._TeamForReply() >= 0) {
				slot->reply.fReturnTeam = replyTo._TeamForReply();
				slot->reply.fReturnLooper = replyTo._LooperToken();
				slot->reply.fReturnHandler = replyTo._HandlerToken();
				slot->reply.fReturnPreferred = replyTo._HandlerToken() < 0;
			}
			slot->replied = true;
		}
		slot->done.notify_all();
		return B_OK;
	}

	BMessenger target = ReturnAddress();
	if (!target.IsValid())
		return B_BAD_REPLY;
	fReplied = true;
	BMessage copy(*reply);
	copy.fIsReply = true;
	copy.fPrevious = std::make_shared<BMessage>(*this);
	return target.SendMessage(&copy, replyTo, timeout);
}

status_t
BMessage::SendReply(uint32 command, BMessage* replyToReply)
{
	BMessage reply(command);
	return SendReply(&reply, replyToReply);
}

status_t
BMessage::SendReply(BMessage* reply, BMessage* replyToReply, bigtime_t sendTimeout,
	bigtime_t replyTimeout)
{
	if (replyToReply == NULL)
		return SendReply(reply, (BHandler*)NULL, sendTimeout);
	if (reply == NULL)
		return B_BAD_VALUE;
	if (fReplied)
		return B_DUPLICATE_REPLY;

	if (fRemoteReply != nullptr) {
		fReplied = true;
		std::shared_ptr<BPrivate::RemoteReply> remote = fRemoteReply;
		return remote->Send(reply, -1, -1, -1, false, replyToReply, sendTimeout, replyTimeout);
	}
	if (fReplySlot != nullptr) {
		// The sender gets a reply it can answer; we wait for that answer
		// as a sender would.
		fReplied = true;
		auto answer = std::make_shared<BPrivate::ReplySlot>();
		std::shared_ptr<BPrivate::ReplySlot> slot = fReplySlot;
		{
			std::lock_guard<std::mutex> guard(slot->lock);
			slot->reply = *reply;
			slot->reply.fIsReply = true;
			slot->reply.fPrevious = std::make_shared<BMessage>(*this);
			slot->waiting = answer;
			slot->replied = true;
		}
		slot->done.notify_all();
		return BPrivate::wait_for_reply(answer, replyToReply, replyTimeout);
	}

	// Sent without waiting: the reply goes to the return address as a
	// message of its own, and we wait for its answer.
	BMessenger target = ReturnAddress();
	if (!target.IsValid())
		return B_BAD_REPLY;
	fReplied = true;
	BMessage copy(*reply);
	copy.fIsReply = true;
	copy.fPrevious = std::make_shared<BMessage>(*this);
	return target.SendMessage(&copy, replyToReply, sendTimeout, replyTimeout);
}

ssize_t
BMessage::FlattenedSize() const
{
	std::vector<uint8> out;
	flatten_message(*this, out);
	return (ssize_t)out.size();
}

status_t
BMessage::Flatten(char* buffer, ssize_t size) const
{
	if (buffer == NULL)
		return B_BAD_VALUE;
	std::vector<uint8> out;
	flatten_message(*this, out);
	if ((ssize_t)out.size() > size)
		return B_BUFFER_OVERFLOW;
	memcpy(buffer, out.data(), out.size());
	return B_OK;
}

status_t
BMessage::Flatten(BDataIO* stream, ssize_t* size) const
{
	if (stream == NULL)
		return B_BAD_VALUE;
	std::vector<uint8> out;
	flatten_message(*this, out);
	ssize_t written = stream->Write(out.data(), out.size());
	if (written < 0)
		return (status_t)written;
	if (size != NULL)
		*size = written;
	return written == (ssize_t)out.size() ? B_OK : B_IO_ERROR;
}

status_t
BMessage::Unflatten(const char* flatBuffer)
{
	if (flatBuffer == NULL)
		return B_BAD_VALUE;
	uint32 magic, total;
	memcpy(&magic, flatBuffer, 4);
	if (magic != kFlatMagic)
		return B_NOT_A_MESSAGE;
	memcpy(&total, flatBuffer + 4, 4);
	return Unflatten(flatBuffer, total);
}

status_t
BMessage::Unflatten(const char* flatBuffer, ssize_t size)
{
	if (flatBuffer == NULL || size < 0)
		return B_BAD_VALUE;
	Reader reader{(const uint8*)flatBuffer, (size_t)size};
	uint32 magic, total, newWhat, fieldCount;
	if (!reader.Get32(&magic) || magic != kFlatMagic)
		return B_NOT_A_MESSAGE;
	if (!reader.Get32(&total) || total > (size_t)size || !reader.Get32(&newWhat)
		|| !reader.Get32(&fieldCount))
		return B_BAD_DATA;
	// A total shorter than the header would let the reader run past the end.
	if (total < reader.at)
		return B_BAD_DATA;
	reader.size = total;

	std::vector<Field> fields;
	std::unordered_set<std::string> names;
	for (uint32 f = 0; f < fieldCount; f++) {
		Field field;
		uint32 nameLength, type, fixed, itemCount;
		const uint8* name;
		if (!reader.Get32(&nameLength) || !reader.GetBytes(nameLength, &name)
			|| !reader.Get32(&type) || !reader.Get32(&fixed) || !reader.Get32(&itemCount))
			return B_BAD_DATA;
		field.name.assign((const char*)name, nameLength);
		field.type = type;
		field.fixedSize = fixed != 0;
		// Only what AddData() could have made: a name without NULs, used
		// once, a real type, at least one item, fixed sizes alike.
		if (nameLength == 0 || memchr(name, 0, nameLength) != NULL || type == B_ANY_TYPE
			|| itemCount == 0)
			return B_BAD_DATA;
		if (!names.insert(field.name).second)
			return B_BAD_DATA;
		for (uint32 i = 0; i < itemCount; i++) {
			uint32 itemSize;
			const uint8* bytes;
			if (!reader.Get32(&itemSize) || !reader.GetBytes(itemSize, &bytes))
				return B_BAD_DATA;
			if (field.fixedSize && i > 0 && itemSize != field.items.front().size())
				return B_BAD_DATA;
			field.items.emplace_back(bytes, bytes + itemSize);
		}
		fields.push_back(std::move(field));
	}
	what = newWhat;
	fFields = std::move(fields);
	return B_OK;
}

status_t
BMessage::Unflatten(BDataIO* stream)
{
	if (stream == NULL)
		return B_BAD_VALUE;
	uint32 header[2];
	if (stream->Read(header, sizeof(header)) != (ssize_t)sizeof(header))
		return B_BAD_DATA;
	if (header[0] != kFlatMagic)
		return B_NOT_A_MESSAGE;
	if (header[1] < sizeof(header) || header[1] > 256 * 1024 * 1024)
		return B_BAD_DATA;
	std::vector<char> buffer(header[1]);
	memcpy(buffer.data(), header, sizeof(header));
	ssize_t rest = header[1] - sizeof(header);
	if (stream->Read(buffer.data() + sizeof(header), rest) != rest)
		return B_BAD_DATA;
	return Unflatten(buffer.data(), buffer.size());
}

// Adding

status_t
BMessage::AddData(const char* name, type_code type, const void* data, ssize_t numBytes,
	bool isFixedSize, int32)
{
	if (name == NULL || name[0] == '\0' || numBytes < 0 || (data == NULL && numBytes > 0))
		return B_BAD_VALUE;
	if (type == B_ANY_TYPE)
		return B_BAD_VALUE;
	Field* field = _FindField(name);
	if (field == NULL) {
		fFields.push_back(Field{name, type, isFixedSize, {}});
		field = &fFields.back();
	} else if (field->type != type)
		return B_BAD_TYPE;
	else if (field->fixedSize && !field->items.empty()
		&& field->items.front().size() != (size_t)numBytes)
		return B_BAD_VALUE;
	const uint8* bytes = (const uint8*)data;
	field->items.emplace_back(bytes, bytes + numBytes);
	return B_OK;
}

status_t
BMessage::AddString(const char* name, const char* string)
{
	if (string == NULL)
		return B_BAD_VALUE;
	return AddData(name, B_STRING_TYPE, string, strlen(string) + 1, false);
}

status_t
BMessage::AddString(const char* name, const BString& string)
{
	return AddData(name, B_STRING_TYPE, string.String(), string.Length() + 1, false);
}

#define DEFINE_FIXED(Name, Type, TypeCode) \
	status_t BMessage::Add##Name(const char* name, Type value) \
	{ \
		return AddData(name, TypeCode, &value, sizeof(value), true); \
	} \
	status_t BMessage::Find##Name(const char* name, Type* value) const \
	{ \
		return _FindFixed(name, TypeCode, 0, value, sizeof(*value)); \
	} \
	status_t BMessage::Find##Name(const char* name, int32 index, Type* value) const \
	{ \
		return _FindFixed(name, TypeCode, index, value, sizeof(*value)); \
	}

DEFINE_FIXED(Int8, int8, B_INT8_TYPE)
DEFINE_FIXED(UInt8, uint8, B_UINT8_TYPE)
DEFINE_FIXED(Int16, int16, B_INT16_TYPE)
DEFINE_FIXED(UInt16, uint16, B_UINT16_TYPE)
DEFINE_FIXED(Int32, int32, B_INT32_TYPE)
DEFINE_FIXED(UInt32, uint32, B_UINT32_TYPE)
DEFINE_FIXED(Int64, int64, B_INT64_TYPE)
DEFINE_FIXED(UInt64, uint64, B_UINT64_TYPE)
DEFINE_FIXED(Bool, bool, B_BOOL_TYPE)
DEFINE_FIXED(Float, float, B_FLOAT_TYPE)
DEFINE_FIXED(Double, double, B_DOUBLE_TYPE)

#undef DEFINE_FIXED

status_t
BMessage::AddPointer(const char* name, const void* pointer)
{
	return AddData(name, B_POINTER_TYPE, &pointer, sizeof(pointer), true);
}

status_t
BMessage::FindPointer(const char* name, void** pointer) const
{
	return FindPointer(name, 0, pointer);
}

status_t
BMessage::FindPointer(const char* name, int32 index, void** pointer) const
{
	if (pointer == NULL)
		return B_BAD_VALUE;
	return _FindFixed(name, B_POINTER_TYPE, index, pointer, sizeof(*pointer));
}

namespace {

// A messenger as it travels: its team, looper and handler by number.
struct FlatMessenger {
	int32 team;
	int32 looper;
	int32 handler;
};

FlatMessenger
flat_messenger(const BMessenger& messenger)
{
	return {messenger._TeamForReply(), messenger._LooperToken(), messenger._HandlerToken()};
}

} // namespace

status_t
BMessage::AddMessenger(const char* name, BMessenger messenger)
{
	FlatMessenger flat = flat_messenger(messenger);
	return AddData(name, B_MESSENGER_TYPE, &flat, sizeof(flat), true);
}

status_t
BMessage::FindMessenger(const char* name, BMessenger* messenger) const
{
	return FindMessenger(name, 0, messenger);
}

status_t
BMessage::FindMessenger(const char* name, int32 index, BMessenger* messenger) const
{
	if (messenger == NULL)
		return B_BAD_VALUE;
	FlatMessenger flat;
	status_t status = _FindFixed(name, B_MESSENGER_TYPE, index, &flat, sizeof(flat));
	if (status == B_OK)
		messenger->_SetToTeam(flat.team, flat.looper, flat.handler);
	return status;
}

status_t
BMessage::AddRef(const char* name, const entry_ref* ref)
{
	if (ref == NULL)
		return B_BAD_VALUE;
	// device, directory, then the name and the folder's path, each ending
	// in a NUL.
	std::vector<uint8> flat(sizeof(dev_t) + sizeof(ino_t));
	memcpy(flat.data(), &ref->device, sizeof(dev_t));
	memcpy(flat.data() + sizeof(dev_t), &ref->directory, sizeof(ino_t));
	const char* leaf = ref->name != NULL ? ref->name : "";
	flat.insert(flat.end(), leaf, leaf + strlen(leaf) + 1);
	const char* folder = ref->directory_path.String();
	flat.insert(flat.end(), folder, folder + strlen(folder) + 1);
	return AddData(name, B_REF_TYPE, flat.data(), flat.size(), false);
}

status_t
BMessage::FindRef(const char* name, entry_ref* ref) const
{
	return FindRef(name, 0, ref);
}

status_t
BMessage::FindRef(const char* name, int32 index, entry_ref* ref) const
{
	if (ref == NULL)
		return B_BAD_VALUE;
	const std::vector<uint8>* item = NULL;
	status_t status = _FindItem(name, B_REF_TYPE, index, &item);
	if (status != B_OK)
		return status;
	size_t head = sizeof(dev_t) + sizeof(ino_t);
	if (item->size() < head + 2 || item->back() != 0)
		return B_BAD_DATA;
	memcpy(&ref->device, item->data(), sizeof(dev_t));
	memcpy(&ref->directory, item->data() + sizeof(dev_t), sizeof(ino_t));
	const char* leaf = (const char*)item->data() + head;
	size_t leafLength = strnlen(leaf, item->size() - head);
	if (head + leafLength + 1 >= item->size())
		return B_BAD_DATA;
	ref->set_name(leaf);
	ref->directory_path = leaf + leafLength + 1;
	return B_OK;
}

status_t
BMessage::AddMessage(const char* name, const BMessage* message)
{
	if (message == NULL)
		return B_BAD_VALUE;
	std::vector<uint8> flat;
	flatten_message(*message, flat);
	return AddData(name, B_MESSAGE_TYPE, flat.data(), flat.size(), false);
}

status_t
BMessage::FindMessage(const char* name, BMessage* message) const
{
	return FindMessage(name, 0, message);
}

status_t
BMessage::FindMessage(const char* name, int32 index, BMessage* message) const
{
	if (message == NULL)
		return B_BAD_VALUE;
	const std::vector<uint8>* item = NULL;
	status_t status = _FindItem(name, B_MESSAGE_TYPE, index, &item);
	if (status != B_OK)
		return status;
	return message->Unflatten((const char*)item->data(), item->size());
}

// Removing

status_t
BMessage::RemoveData(const char* name, int32 index)
{
	if (name == NULL || index < 0)
		return B_BAD_VALUE;
	Field* field = _FindField(name);
	if (field == NULL)
		return B_NAME_NOT_FOUND;
	if (index >= (int32)field->items.size())
		return B_BAD_INDEX;
	field->items.erase(field->items.begin() + index);
	if (field->items.empty())
		return RemoveName(name);
	return B_OK;
}

status_t
BMessage::RemoveName(const char* name)
{
	if (name == NULL)
		return B_BAD_VALUE;
	for (auto it = fFields.begin(); it != fFields.end(); ++it) {
		if (it->name == name) {
			fFields.erase(it);
			return B_OK;
		}
	}
	return B_NAME_NOT_FOUND;
}

status_t
BMessage::MakeEmpty()
{
	fFields.clear();
	return B_OK;
}

// Finding

status_t
BMessage::FindString(const char* name, const char** string) const
{
	return FindString(name, 0, string);
}

status_t
BMessage::FindString(const char* name, int32 index, const char** string) const
{
	if (string == NULL)
		return B_BAD_VALUE;
	const std::vector<uint8>* item = NULL;
	status_t status = _FindItem(name, B_STRING_TYPE, index, &item);
	if (status != B_OK)
		return status;
	if (item->empty() || item->back() != 0)
		return B_BAD_DATA;
	*string = (const char*)item->data();
	return B_OK;
}

status_t
BMessage::FindString(const char* name, BString* string) const
{
	return FindString(name, 0, string);
}

status_t
BMessage::FindString(const char* name, int32 index, BString* string) const
{
	if (string == NULL)
		return B_BAD_VALUE;
	const char* text;
	status_t status = FindString(name, index, &text);
	if (status == B_OK)
		string->SetTo(text);
	return status;
}

status_t
BMessage::FindData(const char* name, type_code type, const void** data, ssize_t* numBytes) const
{
	return FindData(name, type, 0, data, numBytes);
}

status_t
BMessage::FindData(const char* name, type_code type, int32 index, const void** data,
	ssize_t* numBytes) const
{
	if (data == NULL || numBytes == NULL)
		return B_BAD_VALUE;
	const std::vector<uint8>* item = NULL;
	status_t status = _FindItem(name, type, index, &item);
	if (status != B_OK)
		return status;
	*data = item->data();
	*numBytes = item->size();
	return B_OK;
}

// Replacing

status_t
BMessage::ReplaceString(const char* name, const char* string)
{
	return ReplaceString(name, 0, string);
}

status_t
BMessage::ReplaceString(const char* name, int32 index, const char* string)
{
	if (string == NULL)
		return B_BAD_VALUE;
	return _Replace(name, B_STRING_TYPE, index, string, strlen(string) + 1);
}

status_t
BMessage::ReplaceString(const char* name, const BString& string)
{
	return _Replace(name, B_STRING_TYPE, 0, string.String(), string.Length() + 1);
}

status_t
BMessage::ReplaceInt8(const char* name, int8 value)
{
	return _Replace(name, B_INT8_TYPE, 0, &value, sizeof(value));
}

status_t
BMessage::ReplaceInt16(const char* name, int16 value)
{
	return _Replace(name, B_INT16_TYPE, 0, &value, sizeof(value));
}

status_t
BMessage::ReplaceInt32(const char* name, int32 value)
{
	return _Replace(name, B_INT32_TYPE, 0, &value, sizeof(value));
}

status_t
BMessage::ReplaceInt32(const char* name, int32 index, int32 value)
{
	return _Replace(name, B_INT32_TYPE, index, &value, sizeof(value));
}

status_t
BMessage::ReplaceInt64(const char* name, int64 value)
{
	return _Replace(name, B_INT64_TYPE, 0, &value, sizeof(value));
}

status_t
BMessage::ReplaceBool(const char* name, bool value)
{
	return _Replace(name, B_BOOL_TYPE, 0, &value, sizeof(value));
}

status_t
BMessage::ReplaceBool(const char* name, int32 index, bool value)
{
	return _Replace(name, B_BOOL_TYPE, index, &value, sizeof(value));
}

status_t
BMessage::ReplaceFloat(const char* name, float value)
{
	return _Replace(name, B_FLOAT_TYPE, 0, &value, sizeof(value));
}

status_t
BMessage::ReplaceDouble(const char* name, double value)
{
	return _Replace(name, B_DOUBLE_TYPE, 0, &value, sizeof(value));
}

status_t
BMessage::ReplacePointer(const char* name, const void* pointer)
{
	return _Replace(name, B_POINTER_TYPE, 0, &pointer, sizeof(pointer));
}

status_t
BMessage::ReplaceMessenger(const char* name, BMessenger messenger)
{
	FlatMessenger flat = flat_messenger(messenger);
	return _Replace(name, B_MESSENGER_TYPE, 0, &flat, sizeof(flat));
}

status_t
BMessage::ReplaceRef(const char* name, const entry_ref* ref)
{
	if (ref == NULL)
		return B_BAD_VALUE;
	BMessage scratch;
	status_t status = scratch.AddRef("r", ref);
	if (status != B_OK)
		return status;
	const std::vector<uint8>& flat = scratch.fFields.front().items.front();
	return _Replace(name, B_REF_TYPE, 0, flat.data(), flat.size());
}

status_t
BMessage::ReplaceMessage(const char* name, const BMessage* message)
{
	if (message == NULL)
		return B_BAD_VALUE;
	std::vector<uint8> flat;
	flatten_message(*message, flat);
	return _Replace(name, B_MESSAGE_TYPE, 0, flat.data(), flat.size());
}

status_t
BMessage::ReplaceData(const char* name, type_code type, const void* data, ssize_t numBytes)
{
	return _Replace(name, type, 0, data, numBytes);
}

status_t
BMessage::ReplaceData(const char* name, type_code type, int32 index, const void* data,
	ssize_t numBytes)
{
	return _Replace(name, type, index, data, numBytes);
}

bool
BMessage::HasData(const char* name, type_code type, int32 index) const
{
	const std::vector<uint8>* item = NULL;
	return _FindItem(name, type, index, &item) == B_OK;
}

bool BMessage::HasRect(const char* n, int32 i) const { return HasData(n, B_RECT_TYPE, i); }
bool BMessage::HasPoint(const char* n, int32 i) const { return HasData(n, B_POINT_TYPE, i); }
bool BMessage::HasString(const char* n, int32 i) const { return HasData(n, B_STRING_TYPE, i); }
bool BMessage::HasInt8(const char* n, int32 i) const { return HasData(n, B_INT8_TYPE, i); }
bool BMessage::HasInt16(const char* n, int32 i) const { return HasData(n, B_INT16_TYPE, i); }
bool BMessage::HasInt32(const char* n, int32 i) const { return HasData(n, B_INT32_TYPE, i); }
bool BMessage::HasInt64(const char* n, int32 i) const { return HasData(n, B_INT64_TYPE, i); }
bool BMessage::HasBool(const char* n, int32 i) const { return HasData(n, B_BOOL_TYPE, i); }
bool BMessage::HasFloat(const char* n, int32 i) const { return HasData(n, B_FLOAT_TYPE, i); }
bool BMessage::HasDouble(const char* n, int32 i) const { return HasData(n, B_DOUBLE_TYPE, i); }
bool BMessage::HasPointer(const char* n, int32 i) const { return HasData(n, B_POINTER_TYPE, i); }
bool BMessage::HasMessenger(const char* n, int32 i) const { return HasData(n, B_MESSENGER_TYPE, i); }
bool BMessage::HasRef(const char* n, int32 i) const { return HasData(n, B_REF_TYPE, i); }
bool BMessage::HasMessage(const char* n, int32 i) const { return HasData(n, B_MESSAGE_TYPE, i); }

const char*
BMessage::GetString(const char* name, const char* defaultValue) const
{
	const char* value;
	return FindString(name, &value) == B_OK ? value : defaultValue;
}

int32
BMessage::GetInt32(const char* name, int32 defaultValue) const
{
	int32 value;
	return FindInt32(name, &value) == B_OK ? value : defaultValue;
}

bool
BMessage::GetBool(const char* name, bool defaultValue) const
{
	bool value;
	return FindBool(name, &value) == B_OK ? value : defaultValue;
}

float
BMessage::GetFloat(const char* name, float defaultValue) const
{
	float value;
	return FindFloat(name, &value) == B_OK ? value : defaultValue;
}

// Private

BMessage::Field*
BMessage::_FindField(const char* name)
{
	for (Field& field : fFields) {
		if (field.name == name)
			return &field;
	}
	return NULL;
}

const BMessage::Field*
BMessage::_FindField(const char* name) const
{
	return const_cast<BMessage*>(this)->_FindField(name);
}

status_t
BMessage::_FindItem(const char* name, type_code type, int32 index,
	const std::vector<uint8>** item) const
{
	if (name == NULL)
		return B_BAD_VALUE;
	const Field* field = _FindField(name);
	if (field == NULL)
		return B_NAME_NOT_FOUND;
	if (type != B_ANY_TYPE && field->type != type)
		return B_BAD_TYPE;
	if (index < 0 || index >= (int32)field->items.size())
		return B_BAD_INDEX;
	*item = &field->items[index];
	return B_OK;
}

status_t
BMessage::_FindFixed(const char* name, type_code type, int32 index, void* out, size_t size) const
{
	if (out == NULL)
		return B_BAD_VALUE;
	const std::vector<uint8>* item = NULL;
	status_t status = _FindItem(name, type, index, &item);
	if (status != B_OK)
		return status;
	if (item->size() != size)
		return B_BAD_DATA;
	memcpy(out, item->data(), size);
	return B_OK;
}

status_t
BMessage::_Replace(const char* name, type_code type, int32 index, const void* data,
	ssize_t numBytes)
{
	if (numBytes < 0 || (data == NULL && numBytes > 0))
		return B_BAD_VALUE;
	Field* field = _FindField(name);
	if (field == NULL)
		return B_NAME_NOT_FOUND;
	if (field->type != type)
		return B_BAD_TYPE;
	if (index < 0 || index >= (int32)field->items.size())
		return B_BAD_INDEX;
	const uint8* bytes = (const uint8*)data;
	field->items[index].assign(bytes, bytes + numBytes);
	return B_OK;
}

void
BMessage::_ClearDelivery()
{
	fTargetToken = -1;
	fPreferred = false;
	fReplyLooper = NULL;
	fReplyToken = -1;
	fReplied = false;
	fReplySlot.reset();
	fSourceRemote = false;
	fReturnTeam = fReturnLooper = fReturnHandler = -1;
	fReturnPreferred = false;
	fRemoteReply.reset();
}

namespace BPrivate {

// Appends the message's flat form to what is already there.
void
flatten_message(const BMessage& message, std::vector<uint8>& out)
{
	size_t start = out.size();
	put32(out, kFlatMagic);
	put32(out, 0);
	put32(out, message.what);
	int32 count = message.CountNames(B_ANY_TYPE);
	put32(out, count);
	for (int32 i = 0; i < count; i++) {
		char* name = NULL;
		type_code type = 0;
		int32 items = 0;
		if (message.GetInfo(B_ANY_TYPE, i, &name, &type, &items) != B_OK)
			break;
		bool fixed = true;
		message.GetInfo(name, &type, &fixed);
		put32(out, strlen(name));
		out.insert(out.end(), name, name + strlen(name));
		put32(out, type);
		put32(out, fixed ? 1 : 0);
		put32(out, items);
		for (int32 j = 0; j < items; j++) {
			const void* data = NULL;
			ssize_t size = 0;
			message.FindData(name, type, j, &data, &size);
			put32(out, size);
			out.insert(out.end(), (const uint8*)data, (const uint8*)data + size);
		}
	}
	uint32 total = out.size() - start;
	memcpy(out.data() + start + 4, &total, 4);
}

} // namespace BPrivate
