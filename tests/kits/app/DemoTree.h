#ifndef DEMO_TREE_H
#define DEMO_TREE_H

#include <View.h>

// The view tree both sides of the archive tests draw: plain views, a hidden
// one, a changed font and two badges from the shared module.
BView* make_demo_tree();

// The window size the tree is drawn in.
const BRect kDemoFrame(40, 40, 199, 139);

#endif
