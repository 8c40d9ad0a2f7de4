#pragma once

// Applies the embedded patch to every installed product that needs it.
bool RunInstall();
