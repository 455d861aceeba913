// SPDX-License-Identifier: GPL-3.0-or-later
// What the units of the pack model share beyond its header: the scope of a long operation and
// the commit of a change of a pack storage.
#pragma once

#include "DefineDecoder.h"
#include "PackError.h"
#include "StorageJournal.h"
#include "StorageManager.h"

// Raises OnBeginOperation now and OnEndOperation when the scope ends, also when an error ends
// it, so the user interface always gets its window back.
class TOperationScope {
public:
  explicit TOperationScope(TDefineDecoder* model) : model_(model) {
    if (model_->OnBeginOperation) model_->OnBeginOperation(model_);
  }
  ~TOperationScope() {
    if (model_->OnEndOperation) model_->OnEndOperation(model_);
  }
  TOperationScope(const TOperationScope&) = delete;
  TOperationScope& operator=(const TOperationScope&) = delete;

private:
  TDefineDecoder* model_;
};

// A new change of the active pack's storage.
inline std::shared_ptr<TStorageJournal> NewJournal(TStorageManager& storage) {
  return std::make_shared<TStorageJournal>(storage);
}
