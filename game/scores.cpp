// Scores.dat: per pack its name as a line, then the best score, the levels played and a
// check value as 4-byte integers. A record whose check value is wrong is ignored.
#include "tobrix.hpp"

using namespace korvo;

int32_t scorecheck(int32_t best, int32_t played) {
  // 32-bit arithmetic that wraps, as the file's integers do.
  const uint32_t sum = static_cast<uint32_t>(best) * 3u + static_cast<uint32_t>(played) * 7u;
  return static_cast<int32_t>(sum * 11u);
}

namespace {

void readrecords(int32_t file, KvObj* pack) {
  const String name = Upper(StringRef(&pack->fields[packName].s));
  SeekFile(file, 0);
  while (!Eof(file)) {
    const String record = ReadLine(file);
    const int32_t best = ReadInt(file);
    const int32_t played = ReadInt(file);
    const int32_t check = ReadInt(file);
    if (Upper(record) == name && check == scorecheck(best, played)) {
      field(pack, packBest) = best;
      field(pack, packPlayed) = played;
    }
  }
}

// A name that cannot be written back as one line of Scores.dat would break every record after
// it: such a pack is not listed.
int32_t oneline(const String& name) {
  for (int32_t i = 1; i <= Len(name); ++i) {
    if (Asc(Mid(name, i, 1)) < 32) return 0;
  }
  return 1;
}

}  // namespace

void buildscoretable() {
  const int32_t scores = FileType("Scores.dat") == 1 ? ReadFile("Scores.dat") : 0;
  const int32_t dir = ReadDir("Tobrix Levels");
  while (dir) {
    const String file = NextFile(dir);
    if (file == "") break;
    if (Upper(Right(file, 4)) != ".PAK" || !oneline(file)) continue;
    KvObj* pack = New(packs);
    StringRef(&pack->fields[packName].s) = Left(file, Len(file) - 4);
    if (Upper(StringRef(&pack->fields[packName].s)) == "CLASSIC") InsertBefore(pack, First(packs));
    if (scores) readrecords(scores, pack);
  }
  if (dir) CloseDir(dir);
  if (scores) CloseFile(scores);
}

KvObj* findpack(const String& name) {
  const String wanted = Upper(name);
  for (KvObj* p = First(packs); p; p = After(p)) {
    if (Upper(StringRef(&p->fields[packName].s)) == wanted) return p;
  }
  return nullptr;
}

// A pack made after start-up (the editor's first save) joins the list, unplayed.
void listpack(const String& name) {
  if (findpack(name)) return;
  KvObj* pack = New(packs);
  StringRef(&pack->fields[packName].s) = name;
}

void savescores() {
  const int32_t file = WriteFile("Scores.dat");
  if (!file) return;
  for (KvObj* pack : korvo::Each(packs)) {
    WriteLine(file, StringRef(&pack->fields[packName].s));
    WriteInt(file, field(pack, packBest));
    WriteInt(file, field(pack, packPlayed));
    WriteInt(file, scorecheck(field(pack, packBest), field(pack, packPlayed)));
  }
  CloseFile(file);
}
