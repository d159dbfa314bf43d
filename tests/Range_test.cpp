#include "CountingMemory.h"
#include "math/Range.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <utility>

using namespace orrery;

namespace {

constexpr Layout frac(double v) { return Layout{v, Layout::kPinFraction}; }
constexpr Layout fromBegin(double v) { return Layout{v, Layout::kPinBegin}; }
constexpr Layout fromEnd(double v) { return Layout{v, Layout::kPinEnd}; }
constexpr auto kBadPin = static_cast<Layout::PinType>(3);

// A held range must live on the heap: its last release deletes it.
RefPtr<Range> heapRange(double b, double e) { return RefPtr<Range>(new Range(b, e)); }

void expectSpans(const IRange *r, double b, double e) {
  EXPECT_EQ(r->getBegin(), b);
  EXPECT_EQ(r->getEnd(), e);
}

} // namespace

// Every pin (bad ones included), chains, parents that move and conversions
// between pins, against the documented rules: the range fuzz harness.
TEST(RelativeRange, ResolvesAgainstTheParentAndAbsorbsBadInput) {
  RefPtr<Range> parent = heapRange(100.0, 300.0);
  expectSpans(RefPtr<RelativeRange>(new RelativeRange(parent.get())).get(), 100.0, 300.0);
  RelativeRange r(parent.get(), frac(0.25), fromBegin(10.0));
  expectSpans(&r, 150.0, 110.0); // ends are never reordered
  EXPECT_EQ(r.getEndLayoutAsType(kBadPin).value, 0.0);

  // A zero-span parent makes fractions infinite or NaN; without a parent
  // every end reads 0 but the stored layout converts to its own pin.
  parent->set(5.0, 5.0);
  r.setLayout(fromBegin(3.0), fromBegin(0.0));
  EXPECT_EQ(r.getBeginLayoutAsType(Layout::kPinFraction).value, INFINITY);
  EXPECT_TRUE(std::isnan(r.getEndLayoutAsType(Layout::kPinFraction).value));
  r.setParent(nullptr);
  expectSpans(&r, 0.0, 0.0);
  EXPECT_EQ(r.getEndLayoutAsType(Layout::kPinFraction).value, 0.0);
}

TEST(RelativeRange, SetParentMovesTwoReferencesAndDestructionReleasesThem) {
  test::CountingMemory memory;
  {
    RefPtr<Range> a = heapRange(0.0, 10.0);
    RefPtr<Range> b = heapRange(20.0, 30.0);
    RefPtr<RelativeRange> r(new RelativeRange(a.get()));
    r->setParent(a.get());
    EXPECT_EQ(a->refCount, 3);
    r->setParent(b.get());
    EXPECT_EQ(a->refCount, 1);
    EXPECT_EQ(b->refCount, 3);
    r->setParent(nullptr);
    EXPECT_EQ(b->refCount, 1);

    // Reparenting onto the grandparent kills the old parent, held only by r,
    // which releases the grandparent twice on its way out.
    r->setParent(new RelativeRange(b.get(), frac(0.5), frac(1.0)));
    b = nullptr;
    EXPECT_EQ(r->getBegin(), 25.0);
    Range *root = static_cast<Range *>(static_cast<RelativeRange *>(r->getParent())->getParent());
    r->setParent(root);
    EXPECT_EQ(root->refCount, 2);
    EXPECT_EQ(memory.live(), 3u);
    expectSpans(r.get(), 20.0, 30.0);
  }
  EXPECT_TRUE(memory.live() == 0u && memory.foreignReleases == 0);
}

TEST(RelativeRange2d, LaysOutFollowsTheParentSurvivesAFailedAllocationAndAbsoluteEndsRise) {
  test::CountingMemory memory;
  {
    RefPtr<Range> px = heapRange(0.0, 800.0);
    RefPtr<Range2d> parent(new Range2d(px.get(), new Range(0.0, 600.0)));
    RefPtr<RelativeRange2d> r(new RelativeRange2d(parent.get()));
    EXPECT_EQ(px->refCount, 4);
    expectSpans((*r)[0], 0.0, 800.0);
    expectSpans((*r)[1], 0.0, 600.0);
    r->set(Layout2d{fromBegin(10.0), fromBegin(10.0)}, Layout2d{fromEnd(-10.0), fromEnd(-10.0)});
    expectSpans(r->getRelX(), 10.0, 790.0);
    expectSpans(r->getRelY(), 10.0, 590.0);

    const Layout2d end = r->getEndLayoutAsType(Layout::kPinFraction, Layout::kPinBegin);
    EXPECT_EQ(end.x.value, 0.9875);
    EXPECT_EQ(end.y.value, 590.0);
    EXPECT_EQ(end.y.pin, Layout::kPinBegin);
    EXPECT_EQ(r->getBeginLayoutAsType(Layout::kPinEnd, Layout::kPinEnd).x.value, -790.0);
    EXPECT_EQ(r->getEndLayout().x.value, -10.0);
    EXPECT_EQ(r->getBeginLayout().y.value, 10.0);

    // The parent rectangle itself is not held, only its ranges.
    parent = nullptr;
    px->set(100.0, 500.0);
    expectSpans(r->getRelX(), 110.0, 490.0);
    EXPECT_EQ(px->refCount, 3);
    EXPECT_EQ(memory.allocations, 6);

    // The y range is created first; a failed allocation leaves it null.
    parent = new Range2d(new Range(0.0, 800.0), new Range(0.0, 600.0));
    memory.failNextAllocation();
    RelativeRange2d half(parent.get());
    EXPECT_EQ(half.getRelY(), nullptr);
    half.set(Layout2d{frac(0.5), frac(0.5)}, Layout2d{frac(1.0), frac(1.0)});
    const Layout2d b = half.getBeginLayoutAsType(Layout::kPinBegin, Layout::kPinBegin);
    EXPECT_EQ(b.x.value, 400.0);
    EXPECT_EQ(b.y.pin, Layout::kPinFraction);
    EXPECT_EQ((*parent)[-1]->refCount, 1); // any non-zero index is y
    RelativeRange2d unparented(nullptr);
    EXPECT_EQ(unparented.getRelX()->getParent(), nullptr);
    // Each axis of an absolute rectangle raises an end below its begin.
    RefPtr<AbsoluteRange2d> abs(new AbsoluteRange2d(new Range, new Range));
    abs->set(Vec2d{5.0, 5.0}, Vec2d{3.0, 9.0});
    expectSpans(abs->getAbsX(), 5.0, 5.0);
    expectSpans(abs->getAbsY(), 5.0, 9.0);
    // On equal ends the end given is kept, with its sign of zero.
    EXPECT_TRUE(std::signbit(Range(0.0, -0.0).getEnd()));
  }
  EXPECT_TRUE(memory.live() == 0u && memory.foreignReleases == 0);
}

TEST(ScreenVec, UnitParsingIsCaseSensitiveAndTriesTheNamesInTableOrder) {
  // "insetpixels" contains "pixels"; table order wins over text order.
  const std::pair<const char *, int> cases[] = {
      {"fraction", 1}, {"insetPixels", 2}, {"12pixels", 0},    {"", 0},
      {"FRACTION", 0}, {"Pixels", 0},      {"insetpixels", 0}, {"insetPixels fraction", 1}};
  for (const auto &[text, code] : cases) {
    EXPECT_EQ(ScreenVec::unitsFromString(QString::fromLatin1(text)), code) << text;
  }
  const ScreenVec v{1.0, 0.5, ScreenVec::kInsetPixels, 7};
  EXPECT_EQ(v.getUnits(0), QStringLiteral("insetPixels"));
  EXPECT_EQ(v.getUnits(-1), QStringLiteral("pixels")); // y, whose code is out of range
}

TEST(ScreenSpaceCalculator, PixelTangentsAreHalfFovTangentsOverHalfSizes) {
  const Vec3d eye{1.0, -2.0, 3.0};
  const Vec2d right{std::numbers::pi / 2, std::numbers::pi / 2};
  const math::ScreenSpaceCalculator c(eye, right, Vec2<int>{800, 600});
  EXPECT_EQ(c.getPosition(), eye);
  EXPECT_DOUBLE_EQ(c.getPixelTanX(), 1.0 / 400);
  EXPECT_DOUBLE_EQ(c.getPixelTanY(), 1.0 / 300);
  EXPECT_EQ(c.getPixelTanSq(), c.getPixelTanY() * c.getPixelTanY());
  const math::ScreenSpaceCalculator wide(eye, Vec2d{2.0, 0.5}, Vec2<int>{1, 1});
  EXPECT_EQ(wide.getPixelTanSq(), 4 * std::tan(1.0) * std::tan(1.0)); // halving is exact
  // Screens without pixels: the range fuzz harness.
}
