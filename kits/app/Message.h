#ifndef _MESSAGE_H
#define _MESSAGE_H

#include <AppDefs.h>
#include <DataIO.h>
#include <OS.h>
#include <String.h>
#include <TypeConstants.h>

#include <memory>
#include <string>
#include <vector>

class BHandler;
class BLooper;
class BMessenger;
class BPoint;
class BRect;
struct entry_ref;

namespace BPrivate {
struct ReplySlot;
struct RemoteReply;
struct MessageDelivery;
} // namespace BPrivate

// Kinds of scripting specifiers.
enum {
	B_NO_SPECIFIER = 0,
	B_DIRECT_SPECIFIER = 1,
	B_INDEX_SPECIFIER,
	B_REVERSE_INDEX_SPECIFIER,
	B_RANGE_SPECIFIER,
	B_REVERSE_RANGE_SPECIFIER,
	B_NAME_SPECIFIER,
	B_ID_SPECIFIER,
	B_SPECIFIERS_END = 128,
};

// A command with named, typed fields. Messages are copied when they are
// posted; the sender keeps its own.
class BMessage {
public:
	uint32 what;

	BMessage();
	BMessage(uint32 what);
	BMessage(const BMessage& other);
	virtual ~BMessage();

	BMessage& operator=(const BMessage& other);

	status_t GetInfo(type_code typeRequested, int32 index, char** nameFound, type_code* typeFound,
		int32* countFound = NULL) const;
	status_t GetInfo(const char* name, type_code* typeFound, int32* countFound = NULL) const;
	status_t GetInfo(const char* name, type_code* typeFound, bool* fixedSize) const;
	int32 CountNames(type_code type) const;
	bool IsEmpty() const { return fFields.empty(); }
	bool IsSystem() const;
	bool IsReply() const { return fIsReply; }
	void PrintToStream() const;
	status_t Rename(const char* oldEntry, const char* newEntry);

	// Delivery
	bool WasDelivered() const { return fWasDelivered; }
	bool IsSourceWaiting() const;
	bool IsSourceRemote() const { return fSourceRemote; }
	BMessenger ReturnAddress() const;
	const BMessage* Previous() const { return fPrevious.get(); }
	bool WasDropped() const { return false; }

	status_t SendReply(uint32 command, BHandler* replyTo = NULL);
	status_t SendReply(BMessage* reply, BHandler* replyTo = NULL, bigtime_t timeout = B_INFINITE_TIMEOUT);
	status_t SendReply(BMessage* reply, BMessenger replyTo, bigtime_t timeout = B_INFINITE_TIMEOUT);
	status_t SendReply(uint32 command, BMessage* replyToReply);
	status_t SendReply(BMessage* reply, BMessage* replyToReply,
		bigtime_t sendTimeout = B_INFINITE_TIMEOUT, bigtime_t replyTimeout = B_INFINITE_TIMEOUT);

	// Flattening
	ssize_t FlattenedSize() const;
	status_t Flatten(char* buffer, ssize_t size) const;
	status_t Flatten(BDataIO* stream, ssize_t* size = NULL) const;
	status_t Unflatten(const char* flatBuffer);
	status_t Unflatten(const char* flatBuffer, ssize_t size);
	status_t Unflatten(BDataIO* stream);

	// Adding data
	status_t AddRect(const char* name, BRect rect);
	status_t AddPoint(const char* name, BPoint point);
	status_t AddString(const char* name, const char* string);
	status_t AddString(const char* name, const BString& string);
	status_t AddInt8(const char* name, int8 value);
	status_t AddUInt8(const char* name, uint8 value);
	status_t AddInt16(const char* name, int16 value);
	status_t AddUInt16(const char* name, uint16 value);
	status_t AddInt32(const char* name, int32 value);
	status_t AddUInt32(const char* name, uint32 value);
	status_t AddInt64(const char* name, int64 value);
	status_t AddUInt64(const char* name, uint64 value);
	status_t AddBool(const char* name, bool value);
	status_t AddFloat(const char* name, float value);
	status_t AddDouble(const char* name, double value);
	status_t AddPointer(const char* name, const void* pointer);
	status_t AddMessenger(const char* name, BMessenger messenger);
	status_t AddRef(const char* name, const entry_ref* ref);
	status_t AddMessage(const char* name, const BMessage* message);
	status_t AddData(const char* name, type_code type, const void* data, ssize_t numBytes,
		bool isFixedSize = true, int32 count = 1);

	// Removing data
	status_t RemoveData(const char* name, int32 index = 0);
	status_t RemoveName(const char* name);
	status_t MakeEmpty();

	// Finding data
	status_t FindRect(const char* name, BRect* rect) const;
	status_t FindRect(const char* name, int32 index, BRect* rect) const;
	status_t FindPoint(const char* name, BPoint* point) const;
	status_t FindPoint(const char* name, int32 index, BPoint* point) const;
	status_t FindString(const char* name, const char** string) const;
	status_t FindString(const char* name, int32 index, const char** string) const;
	status_t FindString(const char* name, BString* string) const;
	status_t FindString(const char* name, int32 index, BString* string) const;
	status_t FindInt8(const char* name, int8* value) const;
	status_t FindInt8(const char* name, int32 index, int8* value) const;
	status_t FindUInt8(const char* name, uint8* value) const;
	status_t FindUInt8(const char* name, int32 index, uint8* value) const;
	status_t FindInt16(const char* name, int16* value) const;
	status_t FindInt16(const char* name, int32 index, int16* value) const;
	status_t FindUInt16(const char* name, uint16* value) const;
	status_t FindUInt16(const char* name, int32 index, uint16* value) const;
	status_t FindInt32(const char* name, int32* value) const;
	status_t FindInt32(const char* name, int32 index, int32* value) const;
	status_t FindUInt32(const char* name, uint32* value) const;
	status_t FindUInt32(const char* name, int32 index, uint32* value) const;
	status_t FindInt64(const char* name, int64* value) const;
	status_t FindInt64(const char* name, int32 index, int64* value) const;
	status_t FindUInt64(const char* name, uint64* value) const;
	status_t FindUInt64(const char* name, int32 index, uint64* value) const;
	status_t FindBool(const char* name, bool* value) const;
	status_t FindBool(const char* name, int32 index, bool* value) const;
	status_t FindFloat(const char* name, float* value) const;
	status_t FindFloat(const char* name, int32 index, float* value) const;
	status_t FindDouble(const char* name, double* value) const;
	status_t FindDouble(const char* name, int32 index, double* value) const;
	status_t FindPointer(const char* name, void** pointer) const;
	status_t FindPointer(const char* name, int32 index, void** pointer) const;
	status_t FindMessenger(const char* name, BMessenger* messenger) const;
	status_t FindMessenger(const char* name, int32 index, BMessenger* messenger) const;
	status_t FindRef(const char* name, entry_ref* ref) const;
	status_t FindRef(const char* name, int32 index, entry_ref* ref) const;
	status_t FindMessage(const char* name, BMessage* message) const;
	status_t FindMessage(const char* name, int32 index, BMessage* message) const;
	status_t FindData(const char* name, type_code type, const void** data, ssize_t* numBytes) const;
	status_t FindData(const char* name, type_code type, int32 index, const void** data,
		ssize_t* numBytes) const;

	// Replacing data
	status_t ReplaceRect(const char* name, BRect rect);
	status_t ReplaceRect(const char* name, int32 index, BRect rect);
	status_t ReplacePoint(const char* name, BPoint point);
	status_t ReplacePoint(const char* name, int32 index, BPoint point);
	status_t ReplaceString(const char* name, const char* string);
	status_t ReplaceString(const char* name, int32 index, const char* string);
	status_t ReplaceString(const char* name, const BString& string);
	status_t ReplaceInt8(const char* name, int8 value);
	status_t ReplaceInt16(const char* name, int16 value);
	status_t ReplaceInt32(const char* name, int32 value);
	status_t ReplaceInt32(const char* name, int32 index, int32 value);
	status_t ReplaceInt64(const char* name, int64 value);
	status_t ReplaceBool(const char* name, bool value);
	status_t ReplaceBool(const char* name, int32 index, bool value);
	status_t ReplaceFloat(const char* name, float value);
	status_t ReplaceDouble(const char* name, double value);
	status_t ReplacePointer(const char* name, const void* pointer);
	status_t ReplaceMessenger(const char* name, BMessenger messenger);
	status_t ReplaceRef(const char* name, const entry_ref* ref);
	status_t ReplaceMessage(const char* name, const BMessage* message);
	status_t ReplaceData(const char* name, type_code type, const void* data, ssize_t numBytes);
	status_t ReplaceData(const char* name, type_code type, int32 index, const void* data,
		ssize_t numBytes);

	bool HasRect(const char* name, int32 index = 0) const;
	bool HasPoint(const char* name, int32 index = 0) const;
	bool HasString(const char* name, int32 index = 0) const;
	bool HasInt8(const char* name, int32 index = 0) const;
	bool HasInt16(const char* name, int32 index = 0) const;
	bool HasInt32(const char* name, int32 index = 0) const;
	bool HasInt64(const char* name, int32 index = 0) const;
	bool HasBool(const char* name, int32 index = 0) const;
	bool HasFloat(const char* name, int32 index = 0) const;
	bool HasDouble(const char* name, int32 index = 0) const;
	bool HasPointer(const char* name, int32 index = 0) const;
	bool HasMessenger(const char* name, int32 index = 0) const;
	bool HasRef(const char* name, int32 index = 0) const;
	bool HasMessage(const char* name, int32 index = 0) const;
	bool HasData(const char* name, type_code type, int32 index = 0) const;

	// Conveniences of later versions of the API.
	const char* GetString(const char* name, const char* defaultValue = NULL) const;
	int32 GetInt32(const char* name, int32 defaultValue) const;
	bool GetBool(const char* name, bool defaultValue = false) const;
	float GetFloat(const char* name, float defaultValue) const;

	// Scripting: specifiers are a stack; the last one added is resolved first.
	status_t AddSpecifier(const char* property);
	status_t AddSpecifier(const char* property, int32 index);
	status_t AddSpecifier(const char* property, int32 index, int32 range);
	status_t AddSpecifier(const char* property, const char* name);
	status_t AddSpecifier(const BMessage* specifier);
	status_t SetCurrentSpecifier(int32 index);
	status_t GetCurrentSpecifier(int32* index, BMessage* specifier = NULL, int32* what = NULL,
		const char** property = NULL) const;
	bool HasSpecifiers() const;
	status_t PopSpecifier();

private:
	friend class BLooper;
	friend class BMessenger;
	friend class BMessageQueue;
	friend struct BPrivate::MessageDelivery;

	struct Field {
		std::string name;
		type_code type;
		bool fixedSize;
		std::vector<std::vector<uint8>> items;
	};

	Field* _FindField(const char* name);
	const Field* _FindField(const char* name) const;
	status_t _FindItem(const char* name, type_code type, int32 index,
		const std::vector<uint8>** item) const;
	status_t _FindFixed(const char* name, type_code type, int32 index, void* out,
		size_t size) const;
	status_t _Replace(const char* name, type_code type, int32 index, const void* data,
		ssize_t numBytes);
	void _ClearDelivery();

	std::vector<Field> fFields;
	bool fIsReply = false;
	int32 fCurrentSpecifier = -1;
	mutable std::string fPropertyCache;
	bool fWasDelivered = false;
	std::shared_ptr<BMessage> fPrevious;

	// Delivery state, set by the messaging machinery, not copied.
	int32 fTargetToken = -1;
	bool fPreferred = false;
	BLooper* fReplyLooper = NULL;
	int32 fReplyToken = -1;
	bool fReplied = false;
	std::shared_ptr<BPrivate::ReplySlot> fReplySlot;
	// From another team: where replies go, and the sender waiting for one.
	bool fSourceRemote = false;
	int32 fReturnTeam = -1;
	int32 fReturnLooper = -1;
	int32 fReturnHandler = -1;
	bool fReturnPreferred = false;
	std::shared_ptr<BPrivate::RemoteReply> fRemoteReply;
};

#endif
