// SPDX-License-Identifier: GPL-3.0-or-later
// Filling the smile grid with a full pack of 676 animated smiles and scrolling it, against a
// plain Qt icon list of the same files (a QListWidget in icon mode whose icons Qt's own GIF
// reader makes), measured in the same run; and a full pack opened into the window's grid, from
// the open to the first screen drawn.
//
// Filling is measured from handing the rows over to the first screen drawn (the grid makes only
// the thumbnails it shows); scrolling, as the time to draw each page from the top to the bottom
// of the pack, with the grid making the thumbnails of each new page as it comes.
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "DefineDecoder.h"
#include "DefineFile.h"
#include "Dialogs.h"
#include "ManagerMain.h"
#include "SmileListModel.h"
#include "SmilePictures.h"

namespace {

namespace fs = std::filesystem;

constexpr int Rounds = 7;
const QSize WindowSize(900, 640);

struct TPack {
  std::string Folder;  // ending in "/"
  std::vector<TSmileRow> Rows;
};

TPack MakePack(const std::string& folder) {
  TPack pack{folder, {}};
  fs::create_directories(folder);
  std::mt19937 rnd(676);
  long long frames = 0;
  std::string define;
  for (int i = 0; i < MaxSmiles; ++i) {
    const std::string gif = bench_pictures::MakeGif(rnd, frames);
    const std::string file = folder + PictureFileName(i, spAnimated);
    std::ofstream(file, std::ios::binary) << gif;
    TSmileRow row;
    row.Caption = QString::fromStdString(PictureFileName(i, spAnimated));
    row.Symbols << QStringLiteral(":s%1:").arg(i + 1);
    row.File = file;
    row.Animated = true;
    // The logical screen's size, as the model reads it.
    row.Width = static_cast<unsigned char>(gif[6]) | static_cast<unsigned char>(gif[7]) << 8;
    row.Height = static_cast<unsigned char>(gif[8]) | static_cast<unsigned char>(gif[9]) << 8;
    pack.Rows.push_back(row);
    define += ":s" + std::to_string(i + 1) + ":\r\n";
  }
  std::ofstream(folder + DefineFileName, std::ios::binary) << define;
  std::printf("Pack: %d animated smiles, %lld frames\n", MaxSmiles, frames);
  return pack;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// The view drawn once, as the screen would draw it.
void Draw(QAbstractItemView& view) {
  QCoreApplication::processEvents();
  (void)view.viewport()->grab();
}

// Milliseconds to draw each page while scrolling from the top to the bottom.
std::vector<double> ScrollPages(QAbstractItemView& view) {
  std::vector<double> pages;
  QScrollBar* bar = view.verticalScrollBar();
  bar->setValue(0);
  Draw(view);
  while (bar->value() < bar->maximum()) {
    QElapsedTimer timer;
    timer.start();
    bar->setValue(bar->value() + bar->pageStep());
    Draw(view);
    pages.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  return pages;
}

struct TResult {
  std::vector<double> Fill, Page, SlowestPage;
};

void Record(TResult& result, double fill, const std::vector<double>& pages) {
  result.Fill.push_back(fill);
  result.Page.push_back(Median(pages));
  result.SlowestPage.push_back(pages.empty() ? 0 : *std::max_element(pages.begin(), pages.end()));
}

void OurGrid(const TPack& pack, TResult& result) {
  TSmileListBox grid;
  grid.resize(WindowSize / 2);
  grid.SetGrid(true);
  grid.show();
  QElapsedTimer timer;
  timer.start();
  grid.Model()->SetRows(pack.Rows);
  grid.FitToPictures();
  Draw(grid);
  const double fill = static_cast<double>(timer.nsecsElapsed()) / 1e6;
  Record(result, fill, ScrollPages(grid));
}

void QtIconList(const TPack& pack, TResult& result) {
  QListWidget list;
  list.resize(WindowSize / 2);
  list.setViewMode(QListView::IconMode);
  list.setResizeMode(QListView::Adjust);
  list.setUniformItemSizes(true);
  list.setIconSize(QSize(64, 64));
  list.show();
  QElapsedTimer timer;
  timer.start();
  for (const TSmileRow& row : pack.Rows)
    new QListWidgetItem(QIcon(QString::fromStdString(row.File)), row.Symbols.front(), &list);
  Draw(list);
  const double fill = static_cast<double>(timer.nsecsElapsed()) / 1e6;
  Record(result, fill, ScrollPages(list));
}

// The whole way: the window opens the pack (copy into the storage, read, check, load) and
// shows it as a grid. Shown: the milliseconds from the model's open done to the grid drawn.
double OpenIntoTheWindow(const TPack& pack, double& shown) {
  TForm1 form;
  TDialogs dialogs(&form);
  form.SetDialogs(&dialogs);
  form.ApplicationEvents1Idle();
  if (!form.Initialized) return 0;
  form.SetGridView(true);
  form.resize(WindowSize);
  form.show();
  QElapsedTimer timer;
  timer.start();
  if (!form.Pack->OpenPack(pack.Folder + DefineFileName)) return 0;
  const qint64 opened = timer.nsecsElapsed();
  form.RefillSmiles(true);
  form.ListBox1Click();
  Draw(*form.ListBox1);
  const double millis = static_cast<double>(timer.nsecsElapsed()) / 1e6;
  shown = static_cast<double>(timer.nsecsElapsed() - opened) / 1e6;
  form.ShutdownWorkspace();
  return millis;
}

void Print(const char* what, const std::vector<double>& ours, const std::vector<double>& peer) {
  std::vector<double> ratios;
  for (std::size_t i = 0; i < ours.size() && i < peer.size(); ++i)
    if (ours[i] > 0) ratios.push_back(peer[i] / ours[i]);
  std::printf("%-34s %8.1f ms  Qt icon list %8.1f ms  ratio %.2f (rounds %.2f to %.2f)\n", what,
              Median(ours), Median(peer), Median(ours) > 0 ? Median(peer) / Median(ours) : 0,
              ratios.empty() ? 0 : *std::min_element(ratios.begin(), ratios.end()),
              ratios.empty() ? 0 : *std::max_element(ratios.begin(), ratios.end()));
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  char folder[] = "/tmp/fennimo-gridbench.XXXXXX";
  if (!mkdtemp(folder)) return 1;
  const std::string root = std::string(folder) + "/";
  // The window's workspace goes into the same temporary folder.
  setenv("XDG_DATA_HOME", (root + "data").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", root.c_str(), 1);
  fs::create_directories(root + "data");
  QApplication app(argc, argv);
  const TPack pack = MakePack(root + "pack/");

  TResult ours, peer;
  std::vector<double> opens, shown, copies;
  for (int round = 0; round < Rounds; ++round) {
    // Alternate who goes first, so that neither always finds the files in a warmer cache.
    if (round % 2) {
      QtIconList(pack, peer);
      OurGrid(pack, ours);
    } else {
      OurGrid(pack, ours);
      QtIconList(pack, peer);
    }
    opens.push_back(OpenIntoTheWindow(pack, shown.emplace_back()));
    // The peer of the open: a plain copy of the pack to the same disk, and one sync of it.
    QElapsedTimer copy;
    copy.start();
    const std::string target = root + "copy";
    const std::string command = "cp -r '" + pack.Folder + "' '" + target + "' && sync -f '" +
                                target + "' && rm -rf '" + target + "'";
    if (std::system(command.c_str()) == 0) copies.push_back(static_cast<double>(copy.nsecsElapsed()) / 1e6);
  }
  std::printf("\nMedians of %d rounds; ratio = the Qt icon list's time / the grid's.\n", Rounds);
  Print("filling the grid (first screen)", ours.Fill, peer.Fill);
  Print("scrolling a page (median page)", ours.Page, peer.Page);
  Print("scrolling a page (slowest page)", ours.SlowestPage, peer.SlowestPage);
  std::printf("opening the pack into the window's grid: median %.0f ms, of which the grid %.0f ms; "
              "cp -r and sync -f of the pack: %.0f ms\n",
              Median(opens), Median(shown), Median(copies));
  fs::remove_all(folder);
  return 0;
}
