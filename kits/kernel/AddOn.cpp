#include <image.h>

#include <Errors.h>

#include <dlfcn.h>
#include <errno.h>
#include <stdio.h>
#include <sys/stat.h>

#include <map>
#include <mutex>

// Add-ons apart from child processes: a program that starts children, or
// is linked statically, need not link the dynamic loader.

namespace {

std::mutex& sAddOnLock = *new std::mutex;
std::map<image_id, void*>& sAddOns = *new std::map<image_id, void*>;
image_id sNextAddOn = 1;

} // namespace


image_id
load_add_on(const char* path)
{
	if (path == NULL || path[0] == '\0')
		return B_BAD_VALUE;
	struct stat info;
	if (stat(path, &info) != 0)
		return be_error_from_errno(errno);
	// Local symbols: two add-ons may each hold a class of the same name.
	void* handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
	if (handle == NULL) {
		fprintf(stderr, "load_add_on: %s\n", dlerror());
		return B_MISSING_LIBRARY;
	}
	std::lock_guard<std::mutex> guard(sAddOnLock);
	image_id id = sNextAddOn++;
	sAddOns[id] = handle;
	return id;
}


status_t
unload_add_on(image_id image)
{
	void* handle;
	{
		std::lock_guard<std::mutex> guard(sAddOnLock);
		auto it = sAddOns.find(image);
		if (it == sAddOns.end())
			return B_BAD_IMAGE_ID;
		handle = it->second;
		sAddOns.erase(it);
	}
	return dlclose(handle) == 0 ? B_OK : B_ERROR;
}


status_t
get_image_symbol(image_id image, const char* name, int32 symbolType, void** symbolLocation)
{
	(void)symbolType;
	if (name == NULL || symbolLocation == NULL)
		return B_BAD_VALUE;
	void* handle;
	{
		std::lock_guard<std::mutex> guard(sAddOnLock);
		auto it = sAddOns.find(image);
		if (it == sAddOns.end())
			return B_BAD_IMAGE_ID;
		handle = it->second;
	}
	dlerror();
	void* symbol = dlsym(handle, name);
	if (symbol == NULL)
		return B_MISSING_SYMBOL;
	*symbolLocation = symbol;
	return B_OK;
}
