#pragma once

// Registers the fight's compiled-in pictures (the pointer styles); call before their first use.
void InitFightResources();
