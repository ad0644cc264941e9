#pragma once

// The remote-control tests use the shared fake deck and recording client.

#include "deck/local_vcr.h"
#include "support/fake_deck.h"

namespace vemo::remote::test {

using vemo::test::Bytes;
using vemo::test::bytesOf;
using vemo::test::FakeDeck;
using vemo::test::RecordingClient;

}  // namespace vemo::remote::test
