// Editing the active pack. A picture belongs to its position, so reordering, inserting and
// deleting smiles move picture files. Pictures that no definition line holds (a pack folder
// often has more pictures than lines) are the user's too: the run of them that follows the
// last line moves along, so each line keeps its picture and no edit overwrites one.
// An edit that moves files is one committed change of the storage (see TStorageJournal): a stop
// at any step leaves the storage as it was before the edit or as it is after it.
#include <algorithm>

#include "Files.h"
#include "PackSteps.h"
#include "PictureConverter.h"
#include "PictureDecoder.h"

namespace {

// The first position from From on that holds no picture (MaxSmiles when there is none).
int FirstFreePosition(const std::vector<int>& pictures, int from) {
  int free = from;
  for (int p : pictures)
    if (p == free) ++free;
  return free;
}

}  // namespace

bool TDefineDecoder::StorePicture(const std::string& fileName, const std::string& target,
                                  bool flush) {
  TConvertedPicture picture = ConvertPicture(
      fileName, ActivePack == spStatic ? TPictureFormat::Bmp : TPictureFormat::Gif);
  switch (picture.error) {
    case TConvertError::None:
      break;
    case TConvertError::TooLarge:
    case TConvertError::TooManyFrames:
      throw EPackError(EPackError::pkPictureTooLarge, fileName);
    case TConvertError::CannotOpen:
      if (!platform::FileExists(fileName)) return false;
      [[fallthrough]];
    default:
      throw EPackError(EPackError::pkNotAPicture, fileName);
  }
  return picture.unchanged ? platform::CopyFileReplace(fileName, target, flush)
                           : platform::WriteFileAtomic(target, picture.bytes, flush);
}

TSmile* TDefineDecoder::PutNewSmile(int index, const std::string& fileName) {
  if (!platform::FileExists(fileName) || index < 0 || index >= MaxSmiles) return nullptr;
  EnsureRecovered();
  TSmilePack a = ActivePack;
  std::vector<int> pictures = PicturePositions();
  // The pictures from Index to the end of the run after the last line move one place up, into
  // the first free position; a pack without one takes no more smiles.
  int free = FirstFreePosition(pictures, SmileCount());
  if (free >= MaxSmiles) return nullptr;
  auto journal = NewJournal(*PackStorages[a]);
  std::string name = PictureFileName(index);
  if (!StorePicture(fileName, journal->StagedPath(name))) return nullptr;
  for (int p : pictures)
    if (p >= index && p < free) journal->Move(PictureFileName(p), PictureFileName(p + 1));
  journal->Place(name);
  std::vector<const TSmile*> order = Order();
  order.insert(order.begin() + index, nullptr);
  journal->SetDefine(DefineContent(order));

  TSmile* smile = nullptr;
  CommitChange(journal, [&] {
    auto& smiles = Smiles[a];
    auto at = smiles.insert(smiles.begin() + index, {"", MakeSmile(StoragePicture(index))});
    smile = at->Smile.get();
    Connect(*smile);
    RefreshCaptions();
  });
  return smile;
}

TSmile* TDefineDecoder::AddSmile(const std::string& fileName) {
  return PutNewSmile(SmileCount(), fileName);
}

TSmile* TDefineDecoder::InsertSmile(int index, const std::string& fileName) {
  // Adding at the end is AddSmile's.
  if (index >= SmileCount()) return nullptr;
  return PutNewSmile(index, fileName);
}

TSmile* TDefineDecoder::ReplacePicture(int index, const std::string& fileName) {
  if (!platform::FileExists(fileName) || index < 0 || index >= SmileCount()) return nullptr;
  EnsureRecovered();
  // One file replaced whole: nothing for a stop to split.
  std::string target = StoragePicture(index);
  if (!StorePicture(fileName, target)) return nullptr;
  auto smile = MakeSmile(target);
  auto& item = Smiles[ActivePack][static_cast<std::size_t>(index)];
  smile->Symbols.Assign(item.Smile->Symbols.Items());
  Connect(*smile);
  item.Smile = std::move(smile);
  RefreshCaptions();
  WriteDefineFile();
  return item.Smile.get();
}

bool TDefineDecoder::ExchangeSmiles(int a, int b) {
  if (a < 0 || b < 0 || a >= SmileCount() || b >= SmileCount()) return false;
  EnsureRecovered();
  auto journal = NewJournal(*PackStorages[ActivePack]);
  std::vector<const TSmile*> order = Order();
  if (a != b) {
    journal->Move(PictureFileName(a), PictureFileName(b));
    journal->Move(PictureFileName(b), PictureFileName(a));
    std::swap(order[static_cast<std::size_t>(a)], order[static_cast<std::size_t>(b)]);
  }
  journal->SetDefine(DefineContent(order));
  CommitChange(journal, [&] {
    auto& smiles = Smiles[ActivePack];
    std::swap(smiles[static_cast<std::size_t>(a)], smiles[static_cast<std::size_t>(b)]);
    RefreshCaptions();
  });
  return true;
}

bool TDefineDecoder::DeleteSmile(int index) {
  if (index < 0 || index >= SmileCount()) return false;
  EnsureRecovered();
  auto journal = NewJournal(*PackStorages[ActivePack]);
  journal->Remove(PictureFileName(index));
  std::vector<int> pictures = PicturePositions();
  int free = FirstFreePosition(pictures, SmileCount());
  for (int p : pictures)
    if (p > index && p < free) journal->Move(PictureFileName(p), PictureFileName(p - 1));
  std::vector<const TSmile*> order = Order();
  order.erase(order.begin() + index);
  journal->SetDefine(DefineContent(order));
  CommitChange(journal, [&] {
    auto& smiles = Smiles[ActivePack];
    smiles.erase(smiles.begin() + index);
    RefreshCaptions();
  });
  return true;
}

bool TDefineDecoder::DeletePicture(int index) {
  if (index < 0 || index >= SmileCount()) return false;
  EnsureRecovered();
  GetSmile(index)->Picture.reset();
  platform::DeleteFile(StoragePicture(index));
  RefreshCaptions();
  WriteDefineFile();
  return true;
}

void TDefineDecoder::SymbolsChanged() {
  WriteDefineFile();
  RefreshCaptions();
}
