#ifndef _QUERY_H
#define _QUERY_H

#include <Entry.h>
#include <String.h>

#include <memory>
#include <string>
#include <vector>

class BVolume;

namespace BPrivate {
struct PredicateNode;
}

enum query_op {
	B_INVALID_OP = 0,
	B_EQ,
	B_GT,
	B_GE,
	B_LT,
	B_LE,
	B_NE,
	B_CONTAINS,
	B_BEGINS_WITH,
	B_ENDS_WITH,
	B_AND = 0x101,
	B_OR,
	B_NOT,
	_B_RESERVED_OP_ = 0x100000
};

// A query for the files of a volume whose attributes match a predicate,
// answered from the volume's attribute index. Each hit is read again from
// the file before it is handed out, so a file changed since it was indexed
// is never returned for what it no longer holds. Only live-less queries.
class BQuery {
public:
	BQuery();
	virtual ~BQuery();

	status_t Clear();

	// Builds the predicate in reverse Polish order.
	status_t PushAttr(const char* name);
	status_t PushOp(query_op op);
	status_t PushUInt32(uint32 value);
	status_t PushInt32(int32 value);
	status_t PushUInt64(uint64 value);
	status_t PushInt64(int64 value);
	status_t PushFloat(float value);
	status_t PushDouble(double value);
	status_t PushString(const char* value, bool caseInsensitive = false);

	status_t SetVolume(const BVolume* volume);
	status_t SetPredicate(const char* expression);
	status_t GetPredicate(BString* predicate);
	size_t PredicateLength();
	dev_t TargetDevice() const { return fDevice; }
	bool IsLive() const { return false; }

	// B_OK; B_NO_INIT without a volume or predicate; B_BAD_VALUE for a
	// malformed predicate; B_NOT_ALLOWED when already fetched;
	// B_ENTRY_NOT_FOUND when no attribute of the predicate is indexed.
	status_t Fetch();

	// B_ENTRY_NOT_FOUND after the last hit.
	status_t GetNextEntry(BEntry* entry, bool traverse = false);
	status_t GetNextRef(entry_ref* ref);
	status_t Rewind();
	int32 CountEntries();

private:
	BQuery(const BQuery&) = delete;
	BQuery& operator=(const BQuery&) = delete;

	status_t _Push(const std::string& token, bool isValue);
	status_t _BuildPredicate();
	status_t _NextHostPath(std::string* path);

	dev_t fDevice = (dev_t)-1;
	bool fHasPredicate = false;
	std::string fPredicate;
	struct Token {
		std::string text;
		bool isValue;
	};
	std::vector<Token> fStack;
	bool fStackBroken = false;
	bool fFetched = false;
	std::unique_ptr<BPrivate::PredicateNode> fRoot;
	std::vector<std::string> fHits;
	size_t fNext = 0;
};

#endif
