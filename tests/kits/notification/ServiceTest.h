#ifndef _SERVICE_TEST_H
#define _SERVICE_TEST_H

#include <Process.h>

#include <gtest/gtest.h>

#include <memory>

#include "DesktopSession.h"

// Tests against one notification service that the whole suite shares,
// with this process's session bus pointed at it.
class ServiceTest : public testing::Test {
protected:
	static void SetUpTestSuite()
	{
		if (DesktopSession::Missing(true).empty())
			sSession = new DesktopSession(true);
	}

	static void TearDownTestSuite()
	{
		delete sSession;
		sSession = NULL;
	}

	void SetUp() override
	{
		if (sSession == NULL)
			GTEST_SKIP() << DesktopSession::Missing(true);
		ASSERT_EQ(sSession->Problem(), "");
		fAddress.reset(new ScopedVariable("DBUS_SESSION_BUS_ADDRESS", sSession->Address().c_str()));
		sSession->Control({"close-all"});
	}

	static const ShownNotification* Find(const std::vector<ShownNotification>& shown,
		const std::string& summary)
	{
		for (const ShownNotification& notification : shown) {
			if (notification.summary == summary)
				return &notification;
		}
		return NULL;
	}

	static inline DesktopSession* sSession = NULL;
	std::unique_ptr<ScopedVariable> fAddress;
};

#endif
