#pragma once
// The "Port" setting: where this copy listens and where it dials. Both sides read the same
// value name, so two copies with default settings find each other.
int LinkPort();
