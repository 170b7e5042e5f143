#include "QueryPredicate.h"

#include <TypeConstants.h>

#include <ctype.h>
#include <errno.h>
#include <stdlib.h>
#include <string.h>

namespace BPrivate {

namespace {

template<typename T>
T
read_as(const void* data)
{
	T value;
	memcpy(&value, data, sizeof(T));
	return value;
}

PredicateOp
inverse(PredicateOp op)
{
	switch (op) {
		case kOpEqual: return kOpNotEqual;
		case kOpNotEqual: return kOpEqual;
		case kOpLess: return kOpGreaterOrEqual;
		case kOpLessOrEqual: return kOpGreater;
		case kOpGreater: return kOpLessOrEqual;
		case kOpGreaterOrEqual: return kOpLess;
	}
	return op;
}

void
negate(PredicateNode* node)
{
	if (node->type == PredicateNode::kCompare) {
		node->op = inverse(node->op);
		return;
	}
	node->type = node->type == PredicateNode::kAnd ? PredicateNode::kOr : PredicateNode::kAnd;
	for (auto& child : node->children)
		negate(child.get());
}

// Recursive descent over the predicate text.
class Parser {
public:
	Parser(const char* text) : fText(text), fAt(text) {}

	std::unique_ptr<PredicateNode> Parse(std::string* error)
	{
		std::unique_ptr<PredicateNode> node = _Or();
		_SkipSpace();
		if (node && *fAt != '\0')
			_Fail("unexpected text");
		if (!fError.empty()) {
			if (error != NULL)
				*error = fError + " at offset " + std::to_string(fAt - fText);
			return nullptr;
		}
		return node;
	}

private:
	void _SkipSpace()
	{
		while (isspace((unsigned char)*fAt))
			fAt++;
	}

	bool _Take(const char* token)
	{
		_SkipSpace();
		size_t length = strlen(token);
		if (strncmp(fAt, token, length) != 0)
			return false;
		fAt += length;
		return true;
	}

	std::unique_ptr<PredicateNode> _Fail(const char* message)
	{
		if (fError.empty())
			fError = message;
		return nullptr;
	}

	std::unique_ptr<PredicateNode> _Join(PredicateNode::Type type,
		std::unique_ptr<PredicateNode> first, std::unique_ptr<PredicateNode> second)
	{
		auto node = std::make_unique<PredicateNode>();
		node->type = type;
		node->children.push_back(std::move(first));
		node->children.push_back(std::move(second));
		return node;
	}

	std::unique_ptr<PredicateNode> _Or()
	{
		std::unique_ptr<PredicateNode> node = _And();
		while (node && _Take("||")) {
			std::unique_ptr<PredicateNode> next = _And();
			if (!next)
				return nullptr;
			node = _Join(PredicateNode::kOr, std::move(node), std::move(next));
		}
		return node;
	}

	std::unique_ptr<PredicateNode> _And()
	{
		std::unique_ptr<PredicateNode> node = _Unary();
		while (node && _Take("&&")) {
			std::unique_ptr<PredicateNode> next = _Unary();
			if (!next)
				return nullptr;
			node = _Join(PredicateNode::kAnd, std::move(node), std::move(next));
		}
		return node;
	}

	std::unique_ptr<PredicateNode> _Unary()
	{
		if (++fDepth > 200)
			return _Fail("predicate nested too deeply");
		std::unique_ptr<PredicateNode> node;
		_SkipSpace();
		if (fAt[0] == '!' && fAt[1] != '=') {
			fAt++;
			node = _Unary();
			if (node)
				negate(node.get());
		} else if (_Take("(")) {
			node = _Or();
			if (node && !_Take(")"))
				node = _Fail("missing \")\"");
		} else
			node = _Comparison();
		fDepth--;
		return node;
	}

	// A quoted string (with backslash escapes) or a bare word ending at
	// space, an operator or a parenthesis.
	bool _Word(std::string* word, const char* stops)
	{
		_SkipSpace();
		word->clear();
		if (*fAt == '"' || *fAt == '\'') {
			char quote = *fAt++;
			while (*fAt != quote) {
				if (*fAt == '\0') {
					_Fail("unterminated quote");
					return false;
				}
				if (*fAt == '\\' && fAt[1] != '\0')
					fAt++;
				*word += *fAt++;
			}
			fAt++;
			return true;
		}
		while (*fAt != '\0' && !isspace((unsigned char)*fAt) && strchr(stops, *fAt) == NULL)
			*word += *fAt++;
		return !word->empty();
	}

	std::unique_ptr<PredicateNode> _Comparison()
	{
		// Trees are walked recursively: their size is bounded as their depth.
		if (++fTerms > 1000)
			return _Fail("predicate has too many terms");
		auto node = std::make_unique<PredicateNode>();
		if (!_Word(&node->attribute, "=!<>()&|"))
			return _Fail("attribute name expected");
		_SkipSpace();
		if (_Take("=="))
			node->op = kOpEqual;
		else if (_Take("!="))
			node->op = kOpNotEqual;
		else if (_Take("<="))
			node->op = kOpLessOrEqual;
		else if (_Take(">="))
			node->op = kOpGreaterOrEqual;
		else if (_Take("<"))
			node->op = kOpLess;
		else if (_Take(">"))
			node->op = kOpGreater;
		else if (_Take("="))
			node->op = kOpEqual;
		else
			return _Fail("comparison operator expected");
		_SkipSpace();
		bool quoted = *fAt == '"' || *fAt == '\'';
		if (!_Word(&node->literal, "()&|") && !quoted)
			return _Fail("value expected");
		node->hasWildcards = (node->op == kOpEqual || node->op == kOpNotEqual)
			&& has_wildcards(node->literal);
		return node;
	}

	const char* fText;
	const char* fAt;
	int fDepth = 0;
	int fTerms = 0;
	std::string fError;
};

template<typename T>
int
compare(T a, T b)
{
	return a < b ? -1 : (a > b ? 1 : 0);
}

bool
holds(PredicateOp op, int order)
{
	switch (op) {
		case kOpEqual: return order == 0;
		case kOpNotEqual: return order != 0;
		case kOpLess: return order < 0;
		case kOpLessOrEqual: return order <= 0;
		case kOpGreater: return order > 0;
		case kOpGreaterOrEqual: return order >= 0;
	}
	return false;
}

bool
match_class(const char*& pattern, char c)
{
	// pattern points after "["; leaves it after the closing "]".
	bool negated = *pattern == '^' || *pattern == '!';
	if (negated)
		pattern++;
	bool found = false;
	bool first = true;
	while (*pattern != '\0' && (*pattern != ']' || first)) {
		first = false;
		char low = *pattern++;
		char high = low;
		if (*pattern == '-' && pattern[1] != ']' && pattern[1] != '\0') {
			high = pattern[1];
			pattern += 2;
		}
		if ((unsigned char)c >= (unsigned char)low && (unsigned char)c <= (unsigned char)high)
			found = true;
	}
	if (*pattern == ']')
		pattern++;
	return found != negated;
}

} // namespace

AttrValue::Kind
kind_of_type(uint32 type)
{
	switch (type) {
		case B_INT8_TYPE:
		case B_UINT8_TYPE:
		case B_INT16_TYPE:
		case B_UINT16_TYPE:
		case B_INT32_TYPE:
		case B_UINT32_TYPE:
		case B_INT64_TYPE:
		case B_UINT64_TYPE:
		case B_TIME_TYPE:
		case B_OFF_T_TYPE:
		case B_SIZE_T_TYPE:
		case B_SSIZE_T_TYPE:
		case B_BOOL_TYPE:
			return AttrValue::kInteger;
		case B_FLOAT_TYPE:
		case B_DOUBLE_TYPE:
			return AttrValue::kFloat;
		default:
			return AttrValue::kString;
	}
}

bool
decode_attr_value(uint32 type, const void* data, size_t length, AttrValue* value)
{
	value->kind = kind_of_type(type);
	if (value->kind == AttrValue::kString) {
		if (type != B_STRING_TYPE && type != B_MIME_STRING_TYPE && type != B_ASCII_TYPE)
			return false;
		const char* text = (const char*)data;
		value->text.assign(text, strnlen(text, length));
		return true;
	}
	if (value->kind == AttrValue::kFloat) {
		if (type == B_FLOAT_TYPE && length == sizeof(float))
			value->real = read_as<float>(data);
		else if (type == B_DOUBLE_TYPE && length == sizeof(double))
			value->real = read_as<double>(data);
		else
			return false;
		return true;
	}
	// Integers are as wide as they were written: a time may be 32 or 64 bits.
	bool isUnsigned = type == B_UINT8_TYPE || type == B_UINT16_TYPE || type == B_UINT32_TYPE
		|| type == B_UINT64_TYPE || type == B_SIZE_T_TYPE || type == B_BOOL_TYPE;
	switch (length) {
		case 1:
			value->integer = isUnsigned ? read_as<uint8>(data) : read_as<int8>(data);
			return true;
		case 2:
			value->integer = isUnsigned ? read_as<uint16>(data) : read_as<int16>(data);
			return true;
		case 4:
			value->integer = isUnsigned ? read_as<uint32>(data) : read_as<int32>(data);
			return true;
		case 8:
			value->integer = read_as<int64>(data);
			return true;
	}
	return false;
}

bool
PredicateNode::Matches(const AttrValue& value) const
{
	switch (value.kind) {
		case AttrValue::kString:
			if (hasWildcards) {
				bool matched = wildcard_match(literal.c_str(), value.text.c_str());
				return op == kOpEqual ? matched : !matched;
			}
			return holds(op, compare(strcmp(value.text.c_str(), literal.c_str()), 0));
		case AttrValue::kInteger: {
			errno = 0;
			char* end;
			long long number = strtoll(literal.c_str(), &end, 0);
			if (end == literal.c_str() || *end != '\0' || errno != 0) {
				// "2.5" against an integer compares as a number still.
				double real = strtod(literal.c_str(), &end);
				if (end == literal.c_str() || *end != '\0')
					return false;
				return holds(op, compare((double)value.integer, real));
			}
			return holds(op, compare<int64>(value.integer, number));
		}
		case AttrValue::kFloat: {
			char* end;
			double number = strtod(literal.c_str(), &end);
			if (end == literal.c_str() || *end != '\0')
				return false;
			return holds(op, compare(value.real, number));
		}
	}
	return false;
}

std::unique_ptr<PredicateNode>
parse_predicate(const char* predicate, std::string* error)
{
	if (predicate == NULL) {
		if (error != NULL)
			*error = "no predicate";
		return nullptr;
	}
	return Parser(predicate).Parse(error);
}

bool
has_wildcards(const std::string& text)
{
	return text.find_first_of("*?[") != std::string::npos;
}

bool
wildcard_match(const char* pattern, const char* text)
{
	// Iterative, with one backtrack point for the last "*": linear enough
	// that a hostile pattern cannot stall a query.
	const char* starPattern = NULL;
	const char* starText = NULL;
	while (*text != '\0') {
		if (*pattern == '*') {
			starPattern = ++pattern;
			starText = text;
			continue;
		}
		if (*pattern == '?') {
			pattern++;
			text++;
			continue;
		}
		if (*pattern == '[') {
			const char* next = pattern + 1;
			if (match_class(next, *text)) {
				pattern = next;
				text++;
				continue;
			}
		} else if (*pattern != '\0' && *pattern == *text) {
			pattern++;
			text++;
			continue;
		}
		if (starPattern == NULL)
			return false;
		pattern = starPattern;
		text = ++starText;
	}
	while (*pattern == '*')
		pattern++;
	return *pattern == '\0';
}

} // namespace BPrivate
