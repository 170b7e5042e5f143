// The scripting specifiers of a message: a stack kept in the "specifiers"
// field, with the one to resolve next marked by its index.

#include <Message.h>


status_t
BMessage::AddSpecifier(const char* property)
{
	BMessage specifier(B_DIRECT_SPECIFIER);
	specifier.AddString("property", property);
	return AddSpecifier(&specifier);
}

status_t
BMessage::AddSpecifier(const char* property, int32 index)
{
	if (index < 0)
		return B_BAD_INDEX;
	BMessage specifier(B_INDEX_SPECIFIER);
	specifier.AddString("property", property);
	specifier.AddInt32("index", index);
	return AddSpecifier(&specifier);
}

status_t
BMessage::AddSpecifier(const char* property, int32 index, int32 range)
{
	if (index < 0 || range < 0)
		return B_BAD_VALUE;
	BMessage specifier(B_RANGE_SPECIFIER);
	specifier.AddString("property", property);
	specifier.AddInt32("index", index);
	specifier.AddInt32("range", range);
	return AddSpecifier(&specifier);
}

status_t
BMessage::AddSpecifier(const char* property, const char* name)
{
	if (name == NULL)
		return B_BAD_VALUE;
	BMessage specifier(B_NAME_SPECIFIER);
	specifier.AddString("property", property);
	specifier.AddString("name", name);
	return AddSpecifier(&specifier);
}

status_t
BMessage::AddSpecifier(const BMessage* specifier)
{
	if (specifier == NULL || !specifier->HasString("property"))
		return B_BAD_VALUE;
	status_t status = AddMessage("specifiers", specifier);
	if (status != B_OK)
		return status;
	int32 count = 0;
	type_code type;
	GetInfo("specifiers", &type, &count);
	fCurrentSpecifier = count - 1;
	return B_OK;
}

status_t
BMessage::SetCurrentSpecifier(int32 index)
{
	int32 count = 0;
	type_code type;
	if (GetInfo("specifiers", &type, &count) != B_OK)
		return B_BAD_SCRIPT_SYNTAX;
	if (index < 0 || index >= count)
		return B_BAD_INDEX;
	fCurrentSpecifier = index;
	return B_OK;
}

status_t
BMessage::GetCurrentSpecifier(int32* index, BMessage* specifier, int32* what,
	const char** property) const
{
	if (index != NULL)
		*index = fCurrentSpecifier;
	if (fCurrentSpecifier < 0)
		return B_BAD_SCRIPT_SYNTAX;
	BMessage found;
	if (FindMessage("specifiers", fCurrentSpecifier, &found) != B_OK)
		return B_BAD_SCRIPT_SYNTAX;
	const char* name = NULL;
	if (found.FindString("property", &name) != B_OK)
		return B_BAD_SCRIPT_SYNTAX;
	if (what != NULL)
		*what = (int32)found.what;
	if (property != NULL) {
		// The name must outlive the copy found here.
		fPropertyCache = name;
		*property = fPropertyCache.c_str();
	}
	if (specifier != NULL)
		*specifier = found;
	return B_OK;
}

bool
BMessage::HasSpecifiers() const
{
	return fCurrentSpecifier >= 0 && HasMessage("specifiers");
}

status_t
BMessage::PopSpecifier()
{
	if (fCurrentSpecifier < 0 || !fWasDelivered)
		return B_BAD_VALUE;
	fCurrentSpecifier--;
	return B_OK;
}
