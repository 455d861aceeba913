// SPDX-License-Identifier: GPL-3.0-or-later
// Fingerprints of a pack as it lies in a folder, so that the model can tell later whether the
// folder still holds what it last saw there: the pack's own folder since it was opened or saved
// (a change made outside the editor), and the working storage since then (unsaved edits).
#pragma once

#include <string>
#include <string_view>

#include "DefineFile.h"

// A fingerprint (hex text) of the pack of kind Kind in Folder: the bytes of its definition file
// (found without regard to letter case) and the name, size and modification time of each of its
// pictures (the files of the pack's wildcard, letter case ignored). Empty when Folder holds
// neither a definition file nor a picture: there is nothing there a save could replace. An
// edit that is undone gives the old print back, since moving a picture keeps its time.
std::string FolderPrint(const std::string& folder, TSmilePack kind);
// The print Folder will have once its definition file is "_define.ini" holding Define and its
// pictures are those it holds now: a storage about to take in the pack being opened there.
std::string FolderPrintWith(const std::string& folder, TSmilePack kind, std::string_view define);

// The name of Folder's definition file, without regard to letter case ("_define.ini" itself
// when there are several spellings), or "" when it has none.
std::string DefineFileIn(const std::string& folder);
