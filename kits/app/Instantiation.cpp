#include <Archivable.h>

#include <Errors.h>
#include <Message.h>

#include <dlfcn.h>
#include <errno.h>
#include <link.h>
#include <string.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

// Finding the code that makes an object from its archive. Apart from
// BArchivable itself, so that a program that only archives (or is linked
// statically) never links the dynamic loader.

namespace {

// Made on first use: registrations run among the static constructors of
// other files, in no set order. Never destroyed.
struct Registry {
	std::mutex lock;
	std::map<std::string, instantiation_func> functions;
};

Registry&
registry()
{
	static Registry* sRegistry = new Registry;
	return *sRegistry;
}

// The linker's name of "Class::Instantiate(BMessage*)"; empty for a name
// that is no plain (possibly nested) class name.
std::string
instantiate_symbol(const char* className)
{
	std::string symbol = "_ZN";
	const char* part = className;
	while (true) {
		const char* end = strstr(part, "::");
		size_t length = end != NULL ? (size_t)(end - part) : strlen(part);
		if (length == 0)
			return "";
		for (size_t i = 0; i < length; i++) {
			char c = part[i];
			if (!(c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')
					|| (i > 0 && c >= '0' && c <= '9')))
				return "";
		}
		symbol += std::to_string(length);
		symbol.append(part, length);
		if (end == NULL)
			break;
		part = end + 2;
	}
	return symbol + "11InstantiateEP8BMessage";
}

int
collect_object(struct dl_phdr_info* info, size_t, void* data)
{
	if (info->dlpi_name != NULL && info->dlpi_name[0] != '\0')
		((std::vector<std::string>*)data)->push_back(info->dlpi_name);
	return 0;
}

// Looks in the program and the libraries it exports to, then in every
// module loaded since, even those loaded with local symbols.
instantiation_func
find_loaded(const char* className)
{
	{
		Registry& classes = registry();
		std::lock_guard<std::mutex> guard(classes.lock);
		auto it = classes.functions.find(className);
		if (it != classes.functions.end())
			return it->second;
	}
	std::string symbol = instantiate_symbol(className);
	if (symbol.empty())
		return NULL;
	if (void* function = dlsym(RTLD_DEFAULT, symbol.c_str()))
		return (instantiation_func)function;

	// The loader's list is read first: opening objects inside its walk
	// would take the loader's lock twice.
	std::vector<std::string> objects;
	dl_iterate_phdr(collect_object, &objects);
	for (const std::string& object : objects) {
		void* handle = dlopen(object.c_str(), RTLD_LAZY | RTLD_NOLOAD);
		if (handle == NULL)
			continue;
		void* function = dlsym(handle, symbol.c_str());
		dlclose(handle);
		if (function != NULL)
			return (instantiation_func)function;
	}
	return NULL;
}

} // namespace


BPrivate::InstantiationRegistration::InstantiationRegistration(const char* className,
	instantiation_func function)
{
	Registry& classes = registry();
	std::lock_guard<std::mutex> guard(classes.lock);
	classes.functions[className] = function;
}


instantiation_func
find_instantiation_func(const char* className, const char* signature)
{
	if (className == NULL) {
		errno = B_BAD_VALUE;
		return NULL;
	}
	instantiation_func function = find_loaded(className);
	if (function == NULL && signature != NULL && signature[0] == '/') {
		// The module stays loaded: the objects it makes run its code.
		image_id image = load_add_on(signature);
		if (image >= 0)
			function = find_loaded(className);
	}
	if (function == NULL)
		errno = B_NAME_NOT_FOUND;
	return function;
}


instantiation_func
find_instantiation_func(const char* className)
{
	return find_instantiation_func(className, NULL);
}


instantiation_func
find_instantiation_func(BMessage* archive)
{
	const char* className;
	if (archive == NULL || archive->FindString("class", &className) != B_OK) {
		errno = B_BAD_VALUE;
		return NULL;
	}
	const char* addOn = NULL;
	archive->FindString("add_on", &addOn);
	return find_instantiation_func(className, addOn);
}


BArchivable*
instantiate_object(BMessage* from, image_id* id)
{
	if (id != NULL)
		*id = -1;
	const char* className;
	if (from == NULL || from->FindString("class", &className) != B_OK) {
		errno = B_BAD_VALUE;
		return NULL;
	}
	instantiation_func function = find_loaded(className);
	const char* addOn = NULL;
	if (function == NULL && from->FindString("add_on", &addOn) == B_OK && addOn[0] == '/') {
		image_id image = load_add_on(addOn);
		if (image >= 0) {
			function = find_loaded(className);
			if (function == NULL)
				unload_add_on(image);
			else if (id != NULL)
				*id = image;
		}
	}
	if (function == NULL) {
		errno = B_NAME_NOT_FOUND;
		return NULL;
	}
	return function(from);
}


BArchivable*
instantiate_object(BMessage* from)
{
	return instantiate_object(from, NULL);
}
