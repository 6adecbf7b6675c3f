#include "data/scene_build.h"
constinit const SceneNodes scene4Nodes{}, scene5Nodes{}, scene6Nodes{}, scene7Nodes{}, scene8Nodes{}, scene9Nodes{}, scene10Nodes{};
