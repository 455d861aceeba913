// SPDX-License-Identifier: GPL-3.0-or-later
// TGifDecoder turns a GIF87a or GIF89a file, the picture of an animated smile, into frames that
// each show the whole logical screen as it looks once that image has been drawn, and one delay
// per frame in milliseconds. Everything is decoded inside Decode.
//
// Composition keeps two canvases: a palettised one (colour indices of the global table, the
// first image's transparent index standing for the background) and a true-colour one (colours,
// the background colour where nothing covers the screen). Frames stay palettised while that is
// exact; from the first image that a palettised frame could not show (a local colour table, a
// different transparent index, a pixel of the background index drawn without transparency, a
// background index outside the global table) every later frame is true colour. Until then the
// true-colour canvas would only repeat the palettised one in colours, so it is made from it at
// the switch.
//
// Image data is decoded into a buffer of the image's pixels, each code's string copied whole
// from where it stood before, and placed row by row. The working memory for that (string table,
// pixel buffer) and the file's read buffer are kept for the next decoder on the same thread.
//
// Failures throw EAbort with one of the messages below; the frames appended before a failure
// stay, and the file is closed at the end of Decode in every case. Once an image has all its
// pixels, data that ends at its block terminator without an end code is accepted (the end code
// that several encoders write one bit too narrow), and data sub-blocks after the end code are
// skipped. Pixels that an image's data leaves out show the canvas as it was before the image.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "PictureDecoder.h"

namespace gif_messages {
inline constexpr const char* FileTruncated = "Файл урезан";
inline constexpr const char* UnexpectedEndOfFile = "Неожиданное окончание файла";
inline constexpr const char* DataError = "Ошибка в данных";
inline constexpr const char* UnexpectedEndOfBlock = "Неожиданное окончание блока";
inline constexpr const char* StackOverflow = "Переполнение стека";
inline constexpr const char* StackEmpty = "Стек пуст";
inline constexpr const char* UnexpectedEndOfRaster = "Неожиданное окончание растра";
inline constexpr const char* OutLineError = "Ошибка в OutLine";
// Files this decoder refuses before composing anything.
inline constexpr const char* NotAGif = "Файл не является рисунком GIF";
inline constexpr const char* EmptyScreen = "Логический экран нулевого размера";
inline constexpr const char* PixelsInEmptyImage = "Данные в изображении нулевой ширины";
}  // namespace gif_messages

struct TGifWorkingMemory;

class TGifDecoder : public TPictureDecoder {
 public:
  explicit TGifDecoder(const std::string& fileName);
  ~TGifDecoder() override;

  void Decode() override;

 private:
  struct TRgb {
    std::uint8_t r, g, b;
  };

  void DecodeFile();
  void FreeCanvases();
  TGifWorkingMemory& Work();
  static void ReturnWorkingMemory(std::unique_ptr<TGifWorkingMemory> work);

  // Reading primitives.
  void ReadBytes(void* buffer, std::size_t count);
  std::uint8_t ReadByte();
  void SkipBytes(std::int64_t count);

  // The blocks of the file, in the order they come.
  void ReadHeader();
  void ReadGlobalColorTable();
  void CreateCanvases();
  void NextBlock();
  void ReadExtension();
  void ReadGraphicControl();
  void ReadImageDescriptor();
  void ReadLocalColorTable();
  void InitLzw();
  std::size_t NextSubBlock();
  void DecodeImage();
  void PrepareImageBuffers();
  void BuildChainTables(unsigned used);
  void PlaceRows(std::size_t pos);
  std::size_t MakeRoom(std::size_t pos);
  void PlaceLastRow(std::size_t pos);
  void SkipDataAfterEndCode(bool complete);
  void OutLine(const std::uint8_t* line, int count);
  void DrawRow(const std::uint8_t* line, int count);
  void AdvanceRow();
  void AddDelay();

  // Composition of one image into a frame.
  void ComposeImage();
  void PrepareImageColors();
  void LoadImageQuads();
  void SwitchToTrueColor();
  std::unique_ptr<TSmileBitmap32> TrueColorCanvas(const TSmileBitmap8& canvas) const;
  std::unique_ptr<TSmileBitmap> FrameFromCanvas(bool takeCanvas);
  std::size_t FrameSize() const;
  std::size_t CanvasesSize() const;

  bool endReached_ = false;
  std::uint16_t screenWidth_ = 0, screenHeight_ = 0;
  std::uint8_t screenFlags_ = 0;
  std::array<TRgb, 256> globalTable_{};
  int globalColorCount_ = 0;
  bool localTablePresent_ = false;
  std::array<TRgb, 256> localTable_{};
  std::uint16_t imageLeft_ = 0, imageTop_ = 0, imageWidth_ = 0, imageHeight_ = 0;
  std::uint8_t imageFlags_ = 0;
  std::uint8_t controlFlags_ = 0;
  std::uint16_t delay_ = 0;
  std::uint8_t transparentIndex_ = 0;
  bool trueColor_ = false;
  std::unique_ptr<TSmileBitmap8> canvas8_;
  std::unique_ptr<TSmileBitmap32> canvas32_;
  std::size_t canvasesReserved_ = 0;
  bool firstImage_ = true;
  std::uint8_t backgroundIndex_ = 0;  // T0: the first image's transparent index

  int currentRow_ = 0;
  int interlacePass_ = 0;

  std::array<std::uint8_t, 256> subBlock_{};
  std::uint16_t codeSize_ = 0;
  std::uint16_t minCodeSize_ = 0;
  std::uint16_t nextCode_ = 0;
  std::uint16_t clearCode_ = 0, endCode_ = 0, firstFreeCode_ = 0;

  // Working memory of the images' data (string table and pixel buffer), borrowed for one
  // Decode; the decoded pixels of the current image not placed yet start at placed_ in the
  // buffer, and dropped_ pixels went before the buffer's start.
  std::unique_ptr<TGifWorkingMemory> work_;
  std::size_t placed_ = 0;
  std::size_t dropped_ = 0;

  // Per image: the stored quad of each colour index, and which table they come from.
  enum class TQuadsOf { None, Global, Local };
  std::array<std::uint32_t, 256> quads_{};
  TQuadsOf quadsOf_ = TQuadsOf::None;
  bool transparent_ = false;
};
