#include <Tliste.h>

#include <mutex>
#include <unordered_map>
#include <vector>

namespace {

struct HandleTable {
	std::mutex lock;
	std::vector<Tliste*> nodes{nullptr};
	std::vector<uint32> freeHandles;
	std::unordered_map<const Tliste*, uint32> handles;
};

// Never destroyed: a store created by a static initialiser may still use it
// while the process exits.
HandleTable&
table()
{
	static HandleTable* sTable = new HandleTable;
	return *sTable;
}

} // namespace

Tliste*
Tliste::next() const
{
	return tliste_node(suivant);
}

Tliste*
Tliste::previous() const
{
	return tliste_node(precedent);
}

uint32
tliste_register(Tliste* node)
{
	if (node == NULL)
		return 0;
	HandleTable& t = table();
	std::lock_guard<std::mutex> guard(t.lock);
	auto found = t.handles.find(node);
	if (found != t.handles.end())
		return found->second;
	uint32 handle;
	if (!t.freeHandles.empty()) {
		handle = t.freeHandles.back();
		t.freeHandles.pop_back();
		t.nodes[handle] = node;
	} else {
		handle = (uint32)t.nodes.size();
		t.nodes.push_back(node);
	}
	t.handles.emplace(node, handle);
	return handle;
}

void
tliste_unregister(Tliste* node)
{
	HandleTable& t = table();
	std::lock_guard<std::mutex> guard(t.lock);
	auto found = t.handles.find(node);
	if (found == t.handles.end())
		return;
	t.nodes[found->second] = NULL;
	t.freeHandles.push_back(found->second);
	t.handles.erase(found);
}

Tliste*
tliste_node(uint32 handle)
{
	if (handle == 0)
		return NULL;
	HandleTable& t = table();
	std::lock_guard<std::mutex> guard(t.lock);
	return handle < t.nodes.size() ? t.nodes[handle] : NULL;
}

uint32
tliste_handle(const Tliste* node)
{
	if (node == NULL)
		return 0;
	HandleTable& t = table();
	std::lock_guard<std::mutex> guard(t.lock);
	auto found = t.handles.find(node);
	return found != t.handles.end() ? found->second : 0;
}
