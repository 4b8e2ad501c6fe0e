// Moves every layout between a CLayoutStore and the registry key
// HKEY_CURRENT_USER\<key> (subkeys "Title" and "Pos").
#pragma once

#include <string>

#include "store/layout_store.h"

// Adds every stored layout to store, which is expected to be empty.
void LoadLayouts(CLayoutStore& store, const std::string& key);
// Writes every layout of store; never deletes a value.
void SaveLayouts(const CLayoutStore& store, const std::string& key);
