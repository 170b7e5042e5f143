#ifndef LAUNCHER_VIEW_H
#define LAUNCHER_VIEW_H

#include <View.h>

// The launcher's icon: a replicant the Deskbar rebuilds from this module.
class LauncherView : public BView {
public:
	LauncherView();
	LauncherView(BMessage* archive);
	~LauncherView() override;

	status_t Archive(BMessage* data, bool deep = true) const override;
	static BArchivable* Instantiate(BMessage* data);

	void MessageReceived(BMessage* message) override;
	void Draw(BRect update) override;
	void MouseDown(BPoint where) override;

	// The folder the suite is installed in: two levels above this module.
	static BString InstallDirectory();

private:
	static status_t folge_entry(void* data);
	static status_t folge_entry2(void* data);
	static status_t folge_entry3(void* data);
	static status_t folge_entry4(void* data);
};

#endif
