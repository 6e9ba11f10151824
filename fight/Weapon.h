#pragma once
// The player's gun.
class Weapon {
public:
    // The current skin brings its own pointer file.
    bool SkinnedPointer = false;
};
