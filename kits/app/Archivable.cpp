#include <Archivable.h>

#include <Errors.h>
#include <Message.h>

#include <cxxabi.h>
#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <typeinfo>

namespace {

std::string
demangled(const char* typeName)
{
	int status = 0;
	char* name = abi::__cxa_demangle(typeName, NULL, NULL, &status);
	if (name == NULL)
		return typeName;
	std::string result = name;
	free(name);
	return result;
}

} // namespace


BArchivable::BArchivable()
{
}


BArchivable::BArchivable(BMessage* from)
{
	(void)from;
}


BArchivable::~BArchivable()
{
}


status_t
BArchivable::Archive(BMessage* into, bool deep) const
{
	(void)deep;
	if (into == NULL)
		return B_BAD_VALUE;
	// The most derived class: the one whose Instantiate() rebuilds it.
	return into->AddString("class", demangled(typeid(*this).name()).c_str());
}


BArchivable*
BArchivable::Instantiate(BMessage* from)
{
	(void)from;
	errno = B_NOT_ALLOWED;
	return NULL;
}


bool
validate_instantiation(BMessage* from, const char* className)
{
	if (from != NULL && className != NULL) {
		const char* name;
		for (int32 i = 0; from->FindString("class", i, &name) == B_OK; i++) {
			if (strcmp(name, className) == 0)
				return true;
		}
	}
	errno = B_MISMATCHED_VALUES;
	return false;
}
