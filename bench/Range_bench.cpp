#include "math/Range.h"

#include <benchmark/benchmark.h>

#include <array>
#include <string>

using namespace orrery;

namespace {

// A five-level layout chain under a 1920-pixel screen, mixing the three pin
// types: every query walks the chain afresh.
constexpr int kChainDepth = 5;
constexpr std::array<Layout, kChainDepth> kChainBegins = {
    Layout{0.05, Layout::kPinFraction}, Layout{12.0, Layout::kPinBegin},
    Layout{-400.0, Layout::kPinEnd}, Layout{0.25, Layout::kPinFraction},
    Layout{3.0, Layout::kPinBegin}};
constexpr std::array<Layout, kChainDepth> kChainEnds = {
    Layout{-8.0, Layout::kPinEnd}, Layout{0.9, Layout::kPinFraction},
    Layout{-20.0, Layout::kPinEnd}, Layout{40.0, Layout::kPinBegin},
    Layout{0.5, Layout::kPinFraction}};

void BM_ours_LayoutChain(benchmark::State &state) {
  RefPtr<Range> root(new Range(0.0, 1920.0));
  RefPtr<IRange> leaf = root;
  for (int i = 0; i < kChainDepth; ++i) {
    leaf = new RelativeRange(leaf.get(), kChainBegins[i], kChainEnds[i]);
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(root->refCount);
    const double b = leaf->getBegin();
    const double e = leaf->getEnd();
    benchmark::DoNotOptimize(b);
    benchmark::DoNotOptimize(e);
  }
}
BENCHMARK(BM_ours_LayoutChain);

// The same chain hand-written: plain structs, direct recursion, no virtual
// calls and no counting, with the same order of queries.
struct PlainNode {
  Layout begin;
  Layout end;
  const PlainNode *parent;
};

double plainBegin(const PlainNode &n);
double plainEnd(const PlainNode &n);

double plainResolve(const Layout &l, const PlainNode &p) {
  switch (l.pin) {
  case Layout::kPinFraction: {
    const double e = plainEnd(p);
    const double span = e - plainBegin(p);
    return plainBegin(p) + l.value * span;
  }
  case Layout::kPinBegin:
    return plainBegin(p) + l.value;
  case Layout::kPinEnd:
    return plainEnd(p) + l.value;
  default:
    return 0.0;
  }
}

double plainBegin(const PlainNode &n) {
  return n.parent != nullptr ? plainResolve(n.begin, *n.parent) : n.begin.value;
}
double plainEnd(const PlainNode &n) {
  return n.parent != nullptr ? plainResolve(n.end, *n.parent) : n.end.value;
}

void BM_peer_LayoutChain(benchmark::State &state) {
  std::array<PlainNode, kChainDepth + 1> nodes{};
  nodes[0] = PlainNode{Layout{0.0, Layout::kPinBegin}, Layout{1920.0, Layout::kPinBegin}, nullptr};
  for (int i = 0; i < kChainDepth; ++i) {
    nodes[i + 1] = PlainNode{kChainBegins[i], kChainEnds[i], &nodes[i]};
  }
  const PlainNode *leaf = &nodes[kChainDepth];
  for (auto _ : state) {
    benchmark::DoNotOptimize(leaf);
    const double b = plainBegin(*leaf);
    const double e = plainEnd(*leaf);
    benchmark::DoNotOptimize(b);
    benchmark::DoNotOptimize(e);
  }
}
BENCHMARK(BM_peer_LayoutChain);

constexpr std::array<const char *, 4> kUnitTexts = {"120pixels", "0.25 fraction", "16 insetPixels",
                                                    "auto"};

void BM_ours_UnitsFromString(benchmark::State &state) {
  std::array<QString, kUnitTexts.size()> texts;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    texts[i] = QString::fromLatin1(kUnitTexts[i]);
  }
  for (auto _ : state) {
    for (const QString &t : texts) {
      benchmark::DoNotOptimize(t);
      int units = ScreenVec::unitsFromString(t);
      benchmark::DoNotOptimize(units);
    }
  }
}
BENCHMARK(BM_ours_UnitsFromString);

void BM_peer_UnitsFromString(benchmark::State &state) {
  const std::array<std::string, 3> names = {"pixels", "fraction", "insetPixels"};
  std::array<std::string, kUnitTexts.size()> texts;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    texts[i] = kUnitTexts[i];
  }
  for (auto _ : state) {
    for (const std::string &t : texts) {
      benchmark::DoNotOptimize(t);
      int units = 0;
      for (int i = 0; i < 3; ++i) {
        if (t.find(names[i]) != std::string::npos) {
          units = i;
          break;
        }
      }
      benchmark::DoNotOptimize(units);
    }
  }
}
BENCHMARK(BM_peer_UnitsFromString);

} // namespace
