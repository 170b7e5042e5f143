#ifndef _STORAGE_QUERY_PREDICATE_H
#define _STORAGE_QUERY_PREDICATE_H

#include <SupportDefs.h>

#include <memory>
#include <string>
#include <vector>

namespace BPrivate {

// One attribute value, decoded from its stored bytes by its type code.
struct AttrValue {
	enum Kind { kString, kInteger, kFloat };
	Kind kind = kString;
	std::string text;
	int64 integer = 0;
	double real = 0;
};

// Turns stored attribute bytes into a comparable value; false for types
// that cannot be compared (raw data, messages, ...).
bool decode_attr_value(uint32 type, const void* data, size_t length, AttrValue* value);
// The class of values an attribute type has (strings, integers, floats).
AttrValue::Kind kind_of_type(uint32 type);

enum PredicateOp {
	kOpEqual,
	kOpNotEqual,
	kOpLess,
	kOpLessOrEqual,
	kOpGreater,
	kOpGreaterOrEqual,
};

// A parsed predicate. Negations are pushed down to the comparisons when
// parsing, so a tree holds only ANDs, ORs and comparisons.
struct PredicateNode {
	enum Type { kAnd, kOr, kCompare };
	Type type = kCompare;
	std::vector<std::unique_ptr<PredicateNode>> children;

	// kCompare
	std::string attribute;
	PredicateOp op = kOpEqual;
	std::string literal;
	bool hasWildcards = false;

	// Whether the comparison holds for a value; a file lacking the
	// attribute matches nothing, not even "!=".
	bool Matches(const AttrValue& value) const;
};

// Parses a predicate ("(MAIL:status==New) && !(MAIL:from=*@example.org)");
// NULL and an error message for a malformed one.
std::unique_ptr<PredicateNode> parse_predicate(const char* predicate, std::string* error);

// Shell-style wildcard match: "*", "?" and "[...]" (with "^" or "!").
bool wildcard_match(const char* pattern, const char* text);
bool has_wildcards(const std::string& text);

} // namespace BPrivate

#endif
