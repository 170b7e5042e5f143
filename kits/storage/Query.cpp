#include <Query.h>

#include <Volume.h>

#include "AttributeIndex.h"
#include "PathUtils.h"
#include "QueryPredicate.h"

#include <ctype.h>
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/xattr.h>

using namespace BPrivate;

namespace {

const char kSpecial[] = " \t=!<>()&|\"'";

std::string
quoted(const std::string& text)
{
	std::string result = "\"";
	for (char c : text) {
		if (c == '"' || c == '\\')
			result += '\\';
		result += c;
	}
	return result + "\"";
}

// Reads one attribute of a file for the re-check; the names "name", "size"
// and "last_modified" are the file's own, as on BeOS.
bool
read_value(const std::string& path, const std::string& name, AttrValue* value)
{
	if (name == "name") {
		value->kind = AttrValue::kString;
		value->text = leaf_of(BString(path.c_str()));
		return true;
	}
	if (name == "size" || name == "last_modified") {
		struct stat st;
		if (lstat(path.c_str(), &st) != 0)
			return false;
		value->kind = AttrValue::kInteger;
		value->integer = name == "size" ? (int64)st.st_size : (int64)st.st_mtime;
		return true;
	}
	std::string key = "user." + name;
	std::vector<uint8> bytes(512);
	ssize_t got = lgetxattr(path.c_str(), key.c_str(), bytes.data(), bytes.size());
	if (got < 0 && errno == ERANGE) {
		ssize_t size = lgetxattr(path.c_str(), key.c_str(), NULL, 0);
		if (size < 0)
			return false;
		bytes.resize(size);
		got = lgetxattr(path.c_str(), key.c_str(), bytes.data(), bytes.size());
	}
	if (got < 4)
		return false;
	uint32 type = ((uint32)bytes[0] << 24) | ((uint32)bytes[1] << 16) | ((uint32)bytes[2] << 8)
		| bytes[3];
	return decode_attr_value(type, bytes.data() + 4, got - 4, value);
}

bool
matches(const PredicateNode* node, const std::string& path)
{
	switch (node->type) {
		case PredicateNode::kAnd:
			for (const auto& child : node->children) {
				if (!matches(child.get(), path))
					return false;
			}
			return true;
		case PredicateNode::kOr:
			for (const auto& child : node->children) {
				if (matches(child.get(), path))
					return true;
			}
			return false;
		case PredicateNode::kCompare: {
			AttrValue value;
			return read_value(path, node->attribute, &value) && node->Matches(value);
		}
	}
	return false;
}

} // namespace

BQuery::BQuery()
{
}

BQuery::~BQuery()
{
}

status_t
BQuery::Clear()
{
	fDevice = (dev_t)-1;
	fHasPredicate = false;
	fPredicate.clear();
	fStack.clear();
	fStackBroken = false;
	fFetched = false;
	fRoot.reset();
	fHits.clear();
	fNext = 0;
	return B_OK;
}

status_t
BQuery::PushAttr(const char* name)
{
	if (name == NULL || name[0] == '\0')
		return B_BAD_VALUE;
	std::string text(name);
	if (text.find_first_of(kSpecial) != std::string::npos)
		text = quoted(text);
	return _Push(text, false);
}

status_t
BQuery::PushOp(query_op op)
{
	if (fFetched)
		return B_NOT_ALLOWED;
	auto fail = [this]() {
		fStackBroken = true;
		return B_BAD_VALUE;
	};
	if (op == B_NOT) {
		if (fStack.empty() || fStack.back().isValue)
			return fail();
		fStack.back().text = "(!" + fStack.back().text + ")";
		return B_OK;
	}
	if (fStack.size() < 2)
		return fail();
	Token second = fStack.back();
	fStack.pop_back();
	Token first = fStack.back();
	fStack.pop_back();
	if (op == B_AND || op == B_OR) {
		if (first.isValue || second.isValue)
			return fail();
		fStack.push_back({"(" + first.text + (op == B_AND ? "&&" : "||") + second.text + ")",
			false});
		return B_OK;
	}
	if (!second.isValue || first.isValue)
		return fail();
	std::string value = second.text;
	const char* symbol = "==";
	switch (op) {
		case B_EQ: break;
		case B_NE: symbol = "!="; break;
		case B_GT: symbol = ">"; break;
		case B_GE: symbol = ">="; break;
		case B_LT: symbol = "<"; break;
		case B_LE: symbol = "<="; break;
		case B_CONTAINS:
		case B_BEGINS_WITH:
		case B_ENDS_WITH: {
			// Only a string can hold a part of itself.
			if (value.empty() || value[0] != '"')
				return fail();
			std::string inner = value.substr(1, value.size() - 2);
			if (op != B_BEGINS_WITH)
				inner = "*" + inner;
			if (op != B_ENDS_WITH)
				inner += "*";
			value = "\"" + inner + "\"";
			break;
		}
		default:
			return fail();
	}
	fStack.push_back({"(" + first.text + symbol + value + ")", false});
	return B_OK;
}

status_t
BQuery::PushUInt32(uint32 value)
{
	return _Push(std::to_string(value), true);
}

status_t
BQuery::PushInt32(int32 value)
{
	return _Push(std::to_string(value), true);
}

status_t
BQuery::PushUInt64(uint64 value)
{
	return _Push(std::to_string(value), true);
}

status_t
BQuery::PushInt64(int64 value)
{
	return _Push(std::to_string(value), true);
}

status_t
BQuery::PushFloat(float value)
{
	return PushDouble(value);
}

status_t
BQuery::PushDouble(double value)
{
	char text[64];
	snprintf(text, sizeof(text), "%.17g", value);
	return _Push(text, true);
}

status_t
BQuery::PushString(const char* value, bool caseInsensitive)
{
	if (value == NULL)
		return B_BAD_VALUE;
	std::string text;
	for (const char* at = value; *at != '\0'; at++) {
		unsigned char c = *at;
		if (caseInsensitive && isalpha(c) && c < 0x80) {
			text += '[';
			text += (char)tolower(c);
			text += (char)toupper(c);
			text += ']';
		} else
			text += (char)c;
	}
	return _Push(quoted(text), true);
}

status_t
BQuery::SetVolume(const BVolume* volume)
{
	if (fFetched)
		return B_NOT_ALLOWED;
	if (volume == NULL || volume->InitCheck() != B_OK)
		return B_BAD_VALUE;
	fDevice = volume->Device();
	return B_OK;
}

status_t
BQuery::SetPredicate(const char* expression)
{
	if (fFetched)
		return B_NOT_ALLOWED;
	if (expression == NULL)
		return B_BAD_VALUE;
	fPredicate = expression;
	fHasPredicate = true;
	fStack.clear();
	fStackBroken = false;
	return B_OK;
}

status_t
BQuery::GetPredicate(BString* predicate)
{
	if (predicate == NULL)
		return B_BAD_VALUE;
	status_t status = _BuildPredicate();
	if (status != B_OK)
		return status;
	predicate->SetTo(fPredicate.c_str());
	return B_OK;
}

size_t
BQuery::PredicateLength()
{
	if (_BuildPredicate() != B_OK)
		return 0;
	return fPredicate.size() + 1;
}

status_t
BQuery::Fetch()
{
	if (fFetched)
		return B_NOT_ALLOWED;
	if (fDevice == (dev_t)-1)
		return B_NO_INIT;
	status_t status = _BuildPredicate();
	if (status != B_OK)
		return status;
	std::string error;
	fRoot = parse_predicate(fPredicate.c_str(), &error);
	if (!fRoot)
		return B_BAD_VALUE;
	// Only the boot volume keeps an index.
	if (!is_boot_volume(fDevice))
		return B_ENTRY_NOT_FOUND;
	fHits.clear();
	status = index_candidates(fRoot.get(), &fHits);
	if (status != B_OK)
		return status;
	fNext = 0;
	fFetched = true;
	return B_OK;
}

status_t
BQuery::GetNextEntry(BEntry* entry, bool traverse)
{
	if (entry == NULL)
		return B_BAD_VALUE;
	std::string path;
	status_t status = _NextHostPath(&path);
	if (status != B_OK)
		return status;
	return entry->SetTo(path.c_str(), traverse);
}

status_t
BQuery::GetNextRef(entry_ref* ref)
{
	if (ref == NULL)
		return B_BAD_VALUE;
	std::string path;
	status_t status = _NextHostPath(&path);
	if (status != B_OK)
		return status;
	return get_ref_for_path(path.c_str(), ref);
}

status_t
BQuery::Rewind()
{
	if (!fFetched)
		return B_NOT_ALLOWED;
	fNext = 0;
	return B_OK;
}

int32
BQuery::CountEntries()
{
	// As on BeOS: a query cannot tell without reading its hits.
	return B_ERROR;
}

status_t
BQuery::_Push(const std::string& token, bool isValue)
{
	if (fFetched)
		return B_NOT_ALLOWED;
	if (fHasPredicate) {
		// Pushing starts a new predicate.
		fHasPredicate = false;
		fPredicate.clear();
	}
	fStack.push_back({token, isValue});
	return B_OK;
}

status_t
BQuery::_BuildPredicate()
{
	if (fHasPredicate)
		return B_OK;
	if (fStackBroken)
		return B_BAD_VALUE;
	if (fStack.empty())
		return B_NO_INIT;
	if (fStack.size() != 1 || fStack.back().isValue)
		return B_BAD_VALUE;
	fPredicate = fStack.back().text;
	fHasPredicate = true;
	fStack.clear();
	return B_OK;
}

status_t
BQuery::_NextHostPath(std::string* path)
{
	if (!fFetched)
		return B_NOT_ALLOWED;
	while (fNext < fHits.size()) {
		const std::string& hit = fHits[fNext++];
		struct stat st;
		if (lstat(hit.c_str(), &st) != 0) {
			if (errno == ENOENT || errno == ENOTDIR)
				index_forget(hit.c_str());
			continue;
		}
		// The file, not the index, has the last word.
		if (matches(fRoot.get(), hit)) {
			*path = hit;
			return B_OK;
		}
	}
	return B_ENTRY_NOT_FOUND;
}
