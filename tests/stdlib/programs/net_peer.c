/* A peer of the multiplayer tests, run by korvo-run with KORVO_DEBUG=1 so that its log
 * lines reach standard output. The command line says the part it plays:
 *   pair-host | pair-join          two processes: announcements on entry, then messages
 *   soak-host N | soak-join N      three processes each send N reliable messages to all
 *   stay-host | stay-join           three processes until the test ends some of them
 *   dialog | dialog-host            the session dialog, worked by the input script
 * A peer that finds something wrong ends with a runtime error saying what. */
#include "korvo.h"

enum { kHello = 7, kDirect = 253, kUnreliable = 5, kBye = 9, kSeq = 1, kDone = 2, kGotAll = 3, kAfter = 4, kReply = 6 };

static KvString* S(const char* text) { return __kvStrConst(text); }
static KvString* cat(KvString* a, KvString* b) { return __kvStrConcat(a, b); }
static KvString* num(int32_t v) { return __kvStrFromInt(v); }
static void say(KvString* line) { _fdebuglog(line); }
static void fail(const char* why) { _fruntimeerror(S(why)); }
static int32_t same(KvString* a, KvString* b) { return __kvStrCompare(a, b) == 0; }

/* The command line's first word and, after it, a number. */
static KvString* role;
static int32_t count;

static void readCommandLine(void) {
  KvString* line = _fcommandline();
  __kvStrStore(&line, cat(__kvStrLoad(&line), S(" ")));
  const int32_t space = _finstr(__kvStrLoad(&line), S(" "), 1);
  __kvStrStore(&role, _fleft(__kvStrLoad(&line), space - 1));
  count = __kvStrToInt(_fmid(__kvStrLoad(&line), space + 1, -1));
  __kvStrRelease(line);
}

static int32_t is(const char* name) { return same(__kvStrLoad(&role), S(name)); }

static void join(const char* game) {
  for (int32_t tries = 0; tries < 20; ++tries) {
    if (_fjoinnetgame(S(game), S("127.0.0.1")) == 1) return;
  }
  fail("could not join");
}

/* Waits for the next message; its type. */
static int32_t next(void) {
  while (!_frecvnetmsg()) _fdelay(1);
  return _fnetmsgtype();
}

static void pairHost(void) {
  if (_fhostnetgame(S("pair game")) != 2) fail("could not host");
  const int32_t alice = _fcreatenetplayer(S("alice"));
  const int32_t bob = _fcreatenetplayer(S("bob"));
  say(S("hosting"));
  for (;;) {
    const int32_t type = next();
    const int32_t from = _fnetmsgfrom();
    if (type == 100) {
      say(cat(S("joined "), _fnetplayername(from)));
      _fsendnetmsg(kHello, S("hello all"), alice, 0, 1);
      _fsendnetmsg(kDirect, S("just you"), bob, from, 1);
      _fsendnetmsg(kUnreliable, S("maybe"), alice, from, 0);
      /* Local players never hear each other. */
      _fsendnetmsg(kHello, S("to myself"), alice, bob, 1);
    } else if (type == kBye) {
      say(cat(S("bye from "), _fnetplayername(from)));
      break;
    } else {
      say(cat(S("host heard "), num(type)));
    }
  }
  _fstopnetgame();
}

static void pairJoin(void) {
  join("pair game");
  const int32_t carol = _fcreatenetplayer(S("carol"));
  int32_t reliable = 0;
  while (reliable < 2) {
    const int32_t type = next();
    const int32_t from = _fnetmsgfrom();
    KvString* line = cat(cat(num(type), S(" ")), _fnetplayername(from));
    line = cat(cat(cat(line, S(" to ")), _fnetplayername(_fnetmsgto())), cat(S(": "), _fnetmsgdata()));
    say(line);
    if (type == kHello || type == -3) ++reliable;
    if (type != 100 && _fnetplayerlocal(from)) fail("heard a local player");
  }
  if (!_fsendnetmsg(kBye, S(""), carol, 0, 1)) fail("bye not sent");
  _fstopnetgame();
  say(S("left"));
}

/* Three peers each send count messages to all; each checks that every message of every
 * sender arrives once and in order, then says so to its sender. */
static void soak(int32_t hosting) {
  if (hosting) {
    if (_fhostnetgame(S("soak game")) != 2) fail("could not host");
  } else {
    join("soak game");
  }
  const int32_t me = _fcreatenetplayer(S(hosting ? "soak host" : "soak peer"));
  say(S(hosting ? "hosting" : "joined"));
  /* Senders by player id, with the next number expected of each and whether it is done. A
   * sender is heard of before its first message, but not necessarily before another's: the
   * others start once they have heard of everyone, each over a link of its own. */
  int32_t senders[2] = {0, 0}, expected[2] = {0, 0}, finished[2] = {0, 0};
  int32_t known = 0, dones = 0, gotAlls = 0, sent = 0, received = 0;
  while (known < 2 || dones < 2 || gotAlls < 2 || sent <= count) {
    for (int32_t burst = 0; known == 2 && burst < 64 && sent < count; ++burst, ++sent) {
      if (!_fsendnetmsg(kSeq, num(sent), me, 0, 1)) fail("send refused");
    }
    if (sent == count) {
      _fsendnetmsg(kDone, num(count), me, 0, 1);
      ++sent;
    }
    int32_t idle = 1;
    while (_frecvnetmsg()) {
      idle = 0;
      const int32_t type = _fnetmsgtype(), from = _fnetmsgfrom();
      if (type == 100) {
        if (known == 2) fail("a fourth player");
        senders[known++] = from;
        continue;
      }
      const int32_t who = from == senders[0] ? 0 : from == senders[1] ? 1 : -1;
      /* Peers that have finished leave: the last one left becomes host, or (when it could not
       * tell their goodbye from silence) loses the session. */
      const int32_t departure = type == 101 || type == 102 || type == 200;
      if (who < 0 && !departure) {
        say(cat(cat(S("stranger "), num(from)), cat(S(" type "), num(type))));
        fail("a message from a stranger");
      }
      if (type == kSeq) {
        if (__kvStrToInt(_fnetmsgdata()) != expected[who]) fail("a message out of order, lost or twice");
        ++expected[who];
        ++received;
      } else if (type == kDone) {
        if (expected[who] != count) fail("done before everything came");
        finished[who] = 1;
        ++dones;
        _fsendnetmsg(kGotAll, S(""), me, from, 1);
      } else if (type == kGotAll) {
        ++gotAlls;
      } else if (type == 101 && who >= 0 && !finished[who]) {
        fail("a peer left before it was done");
      } else if (!departure) {
        say(cat(S("unexpected "), num(type)));
        fail("an unexpected message");
      }
    }
    if (idle) _fdelay(1);
  }
  say(cat(S("soak ok "), num(received)));
  _fstopnetgame();
}

/* Names of the players announced so far (a player that has left has no name any more). */
static int32_t knownIds[8];
static KvString* knownNames[8];
static int32_t knownCount;

static void remember(int32_t id) {
  if (knownCount == 8) return;
  knownIds[knownCount] = id;
  __kvStrStore(&knownNames[knownCount++], _fnetplayername(id));
}

static KvString* nameOf(int32_t id) {
  for (int32_t i = 0; i < knownCount; ++i) {
    if (knownIds[i] == id) return __kvStrLoad(&knownNames[i]);
  }
  return S("?");
}

/* Three peers that stay until the test ends them: each reports departures, a change of
 * host and the loss of the session; the one that becomes host asks the other for a reply. */
static void stay(int32_t hosting) {
  if (hosting) {
    if (_fhostnetgame(S("stay game")) != 2) fail("could not host");
  } else {
    join("stay game");
  }
  const int32_t me = _fcreatenetplayer(_fgetenv(S("NET_PLAYER")));
  say(S(hosting ? "hosting" : "joined"));
  for (int32_t seen = 0; seen < 2; ++seen) {
    if (next() != 100) fail("a message came before the announcements");
    remember(_fnetmsgfrom());
  }
  say(S("ready"));
  for (;;) {
    const int32_t type = next();
    const int32_t from = _fnetmsgfrom();
    if (type == 101) {
      say(cat(S("left "), nameOf(from)));
    } else if (type == 102) {
      say(S("became host"));
      _fsendnetmsg(kAfter, S("still here?"), me, 0, 1);
    } else if (type == 200) {
      say(S("session lost"));
      break;
    } else if (type == kAfter) {
      _fsendnetmsg(kReply, S("yes"), me, from, 1);
    } else if (type == kReply) {
      say(cat(S("reply from "), nameOf(from)));
    } else {
      say(cat(S("heard "), num(type)));
    }
  }
  _fstopnetgame();
}

/* Paints the window, runs the session dialog and says how it ended; a joiner waits to be
 * heard of by the host. */
static void dialog(void) {
  _fclscolor(200, 0, 0);
  _fcls();
  _fflip(1);
  const int32_t result = _fstartnetgame();
  say(cat(S("dialog "), num(result)));
  if (result == 0) return;
  _fcreatenetplayer(S("dee"));
  say(cat(S("host "), num(result == 2)));
  if (result == 1 && next() == 100) say(cat(S("joined "), _fnetplayername(_fnetmsgfrom())));
  _fstopnetgame();
}

static void dialogHost(void) {
  if (_fhostnetgame(S("dialog game")) != 2) fail("could not host");
  _fcreatenetplayer(S("henry"));
  say(S("hosting"));
  if (next() != 100) fail("no joiner");
  say(cat(S("joined "), _fnetplayername(_fnetmsgfrom())));
  /* The joiner waits to hear of henry before it leaves. */
  while (next() != 101) {
  }
  _fstopnetgame();
}

void __MAIN(void) {
  readCommandLine();
  if (is("pair-host")) pairHost();
  else if (is("pair-join")) pairJoin();
  else if (is("soak-host")) soak(1);
  else if (is("soak-join")) soak(0);
  else if (is("stay-host")) stay(1);
  else if (is("stay-join")) stay(0);
  else if (is("dialog")) dialog();
  else if (is("dialog-host")) dialogHost();
  else fail("unknown part");
  __kvStrRelease(role);
}
