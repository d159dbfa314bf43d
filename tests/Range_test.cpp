#include "CountingMemory.h"
#include "math/Range.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

using namespace orrery;

namespace {

constexpr Layout frac(double v) { return Layout{v, Layout::kPinFraction}; }
constexpr Layout fromBegin(double v) { return Layout{v, Layout::kPinBegin}; }
constexpr Layout fromEnd(double v) { return Layout{v, Layout::kPinEnd}; }

// A held range must live on the heap: its last release deletes it.
RefPtr<Range> heapRange(double b, double e) { return RefPtr<Range>(new Range(b, e)); }

// A parent range that logs the order in which its ends are queried.
class QueryLog : public IRange {
public:
  QueryLog(double b, double e) : b(b), e(e) {}
  double getBegin() const override {
    log += 'b';
    return b;
  }
  double getEnd() const override {
    log += 'e';
    return e;
  }
  double getSpan() const override {
    log += 's';
    return e - b;
  }
  double b;
  double e;
  mutable std::string log;
};

} // namespace

TEST(Range, SetCollapsesAnInvertedPairToAnEmptyRangeAtItsBegin) {
  Range r(5.0, 2.0);
  EXPECT_EQ(r.getBegin(), 5.0);
  EXPECT_EQ(r.getEnd(), 5.0);
  EXPECT_EQ(r.getSpan(), 0.0);
  r.set(-3.0, 4.5);
  EXPECT_EQ(r.getSpan(), 7.5);
  const Range empty;
  EXPECT_EQ(empty.getBegin(), 0.0);
  EXPECT_EQ(empty.getEnd(), 0.0);
}

TEST(RelativeRange, ResolvesEachPinTypeInItsParent) {
  RefPtr<Range> parent = heapRange(100.0, 300.0);
  RelativeRange whole(parent.get());
  EXPECT_EQ(whole.getBegin(), 100.0);
  EXPECT_EQ(whole.getEnd(), 300.0);

  RelativeRange r(parent.get(), frac(0.25), fromBegin(10.0));
  EXPECT_EQ(r.getBegin(), 150.0);
  EXPECT_EQ(r.getEnd(), 110.0);
  EXPECT_EQ(r.getSpan(), -40.0); // ends are not reordered
  r.setEndLayout(fromEnd(-10.0));
  EXPECT_EQ(r.getEnd(), 290.0);

  // Pins outside the enumeration resolve to 0 wherever the parent lies.
  r.setLayout(Layout{50.0, static_cast<Layout::PinType>(3)},
              Layout{50.0, static_cast<Layout::PinType>(-1)});
  EXPECT_EQ(r.getBegin(), 0.0);
  EXPECT_EQ(r.getEnd(), 0.0);
  EXPECT_EQ(r.getBeginLayout().value, 50.0);
}

TEST(RelativeRange, ConvertsBetweenPinTypesKeepingThePosition) {
  RefPtr<Range> parent = heapRange(100.0, 300.0);
  RelativeRange r(parent.get(), frac(0.25), fromEnd(-10.0));
  EXPECT_EQ(r.getBeginLayoutAsType(Layout::kPinEnd).value, -150.0);
  EXPECT_EQ(r.getBeginLayoutAsType(Layout::kPinBegin).value, 50.0);
  EXPECT_EQ(r.getEndLayoutAsType(Layout::kPinFraction).value, 0.95);
  const Layout asBegin = r.getEndLayoutAsType(Layout::kPinBegin);
  EXPECT_EQ(asBegin.value, 190.0);
  EXPECT_EQ(asBegin.pin, Layout::kPinBegin);
  EXPECT_EQ(r.getBeginLayoutAsType(static_cast<Layout::PinType>(7)).value, 0.0);

  // Re-anchoring keeps the absolute position in a parent with awkward ends.
  RefPtr<Range> odd = heapRange(-3.7, 12.9);
  r.setParent(odd.get());
  const double at = r.getBegin();
  for (Layout::PinType t : {Layout::kPinBegin, Layout::kPinEnd, Layout::kPinFraction}) {
    RelativeRange moved(odd.get(), r.getBeginLayoutAsType(t), frac(1.0));
    EXPECT_NEAR(moved.getBegin(), at, 4e-15) << t;
  }
}

TEST(RelativeRange, QueriesTheParentInTheDocumentedOrder) {
  RefPtr<QueryLog> log(new QueryLog(100.0, 300.0));
  QueryLog &parent = *log;
  RelativeRange r(log.get(), frac(0.25), fromBegin(10.0));
  EXPECT_EQ(r.getBegin(), 150.0);
  EXPECT_EQ(parent.log, "sb"); // span before begin when resolving a fraction
  parent.log.clear();
  EXPECT_EQ(r.getEndLayoutAsType(Layout::kPinFraction).value, 0.05);
  EXPECT_EQ(parent.log, "bbs"); // resolve, then begin before span
  parent.log.clear();
  EXPECT_EQ(r.getBeginLayoutAsType(Layout::kPinFraction).value, 0.25);
  EXPECT_EQ(parent.log, ""); // own type: stored value, parent untouched
  parent.log.clear();
  EXPECT_EQ(r.getSpan(), -40.0);
  EXPECT_EQ(parent.log, "bsb"); // end first, then begin
}

TEST(RelativeRange, DegenerateParentsGiveTheDocumentedValues) {
  RefPtr<Range> point = heapRange(5.0, 5.0);
  RelativeRange r(point.get(), fromBegin(3.0), fromBegin(0.0));
  EXPECT_EQ(r.getBeginLayoutAsType(Layout::kPinFraction).value, INFINITY);
  EXPECT_TRUE(std::isnan(r.getEndLayoutAsType(Layout::kPinFraction).value));

  // Without a parent every end reads 0; a conversion to the stored pin still
  // returns the stored value.
  RelativeRange orphan(nullptr, fromEnd(-10.0), frac(0.5));
  EXPECT_EQ(orphan.getParent(), nullptr);
  EXPECT_EQ(orphan.getBegin(), 0.0);
  EXPECT_EQ(orphan.getSpan(), 0.0);
  EXPECT_EQ(orphan.getBeginLayoutAsType(Layout::kPinBegin).value, 0.0);
  EXPECT_EQ(orphan.getEndLayoutAsType(Layout::kPinFraction).value, 0.5);
}

TEST(RelativeRange, FollowsItsParentAndTheRootOfANestedChainAtOnce) {
  RefPtr<Range> root = heapRange(100.0, 300.0);
  RelativeRange r(root.get(), frac(0.5), fromEnd(-10.0));
  EXPECT_EQ(r.getBegin(), 200.0);
  EXPECT_EQ(r.getEnd(), 290.0);
  root->set(0.0, 1000.0);
  EXPECT_EQ(r.getBegin(), 500.0);
  EXPECT_EQ(r.getEnd(), 990.0);

  RefPtr<RelativeRange> mid(new RelativeRange(root.get(), frac(0.1), fromEnd(-100.0)));
  RelativeRange leaf(mid.get(), fromBegin(10.0), frac(0.5)); // mid [100, 900]
  EXPECT_EQ(leaf.getBegin(), 110.0);
  EXPECT_EQ(leaf.getEnd(), 500.0);
  root->set(0.0, 2000.0); // mid [200, 1900]
  EXPECT_EQ(leaf.getBegin(), 210.0);
  EXPECT_EQ(leaf.getEnd(), 1050.0);

  RefPtr<Range> other = heapRange(-50.0, 50.0);
  r.setParent(other.get());
  EXPECT_EQ(r.getBegin(), 0.0);
  EXPECT_EQ(r.getEnd(), 40.0);
}

TEST(RelativeRange, SetParentMovesTwoReferencesAndDestructionReleasesThem) {
  test::CountingMemory memory;
  {
    RefPtr<Range> a(new Range(0.0, 10.0));
    RefPtr<Range> b(new Range(20.0, 30.0));
    RefPtr<RelativeRange> r(new RelativeRange(a.get()));
    EXPECT_EQ(a->refCount, 3);
    r->setParent(a.get());
    EXPECT_EQ(a->refCount, 3);
    r->setParent(b.get());
    EXPECT_EQ(a->refCount, 1);
    EXPECT_EQ(b->refCount, 3);
    EXPECT_EQ(r->getEnd(), 30.0);
    r->setParent(nullptr);
    EXPECT_EQ(b->refCount, 1);
    r->setParent(b.get());

    // The range keeps its parent alive after the caller lets go of it.
    Range *parent = b.get();
    b = nullptr;
    EXPECT_EQ(parent->refCount, 2);
    EXPECT_EQ(r->getBegin(), 20.0);
  }
  EXPECT_EQ(memory.allocations, 3);
  EXPECT_EQ(memory.live(), 0u);
  EXPECT_EQ(memory.foreignReleases, 0);
}

TEST(RelativeRange, ReparentingToTheGrandparentSurvivesTheOldParentsDeath) {
  test::CountingMemory memory;
  {
    RefPtr<Range> root(new Range(0.0, 100.0));
    RefPtr<RelativeRange> leaf;
    {
      RefPtr<RelativeRange> mid(new RelativeRange(root.get(), frac(0.5), frac(1.0)));
      leaf = new RelativeRange(mid.get());
    }
    Range *rootRange = root.get();
    root = nullptr; // now held only by mid, which is held only by leaf
    EXPECT_EQ(rootRange->refCount, 2);
    EXPECT_EQ(leaf->getBegin(), 50.0);
    leaf->setParent(rootRange); // mid dies here and releases the root twice
    EXPECT_EQ(memory.live(), 2u);
    EXPECT_EQ(rootRange->refCount, 2);
    EXPECT_EQ(leaf->getBegin(), 0.0);
  }
  EXPECT_EQ(memory.live(), 0u);
  EXPECT_EQ(memory.foreignReleases, 0);
}

TEST(RelativeRange2d, LaysOutInsetsAndFollowsTheParentRectangle) {
  test::CountingMemory memory;
  {
    RefPtr<Range> px = heapRange(0.0, 800.0);
    RefPtr<Range> py = heapRange(0.0, 600.0);
    RefPtr<Range2d> parent(new Range2d(px.get(), py.get()));
    RefPtr<RelativeRange2d> r(new RelativeRange2d(parent.get()));
    EXPECT_EQ(px->refCount, 4);
    EXPECT_EQ(py->refCount, 4);
    EXPECT_EQ((*r)[0]->getEnd(), 800.0);
    EXPECT_EQ((*r)[1]->getEnd(), 600.0);

    r->set(Layout2d{fromBegin(10.0), fromBegin(10.0)}, Layout2d{fromEnd(-10.0), fromEnd(-10.0)});
    EXPECT_EQ(r->getRelX()->getBegin(), 10.0);
    EXPECT_EQ(r->getRelX()->getEnd(), 790.0);
    EXPECT_EQ(r->getRelY()->getBegin(), 10.0);
    EXPECT_EQ(r->getRelY()->getEnd(), 590.0);

    const Layout2d end = r->getEndLayoutAsType(Layout::kPinFraction, Layout::kPinBegin);
    EXPECT_EQ(end.x.value, 0.9875);
    EXPECT_EQ(end.x.pin, Layout::kPinFraction);
    EXPECT_EQ(end.y.value, 590.0);
    EXPECT_EQ(end.y.pin, Layout::kPinBegin);
    const Layout2d begin = r->getBeginLayoutAsType(Layout::kPinEnd, Layout::kPinFraction);
    EXPECT_EQ(begin.x.value, -790.0);
    EXPECT_EQ(begin.y.value, 10.0 / 600.0);
    EXPECT_EQ(r->getEndLayout().x.value, -10.0);
    EXPECT_EQ(r->getEndLayout().y.pin, Layout::kPinEnd);
    EXPECT_EQ(r->getBeginLayout().y.pin, Layout::kPinBegin);

    px->set(100.0, 500.0);
    py->set(-20.0, 20.0);
    EXPECT_EQ(r->getRelX()->getBegin(), 110.0);
    EXPECT_EQ(r->getRelX()->getEnd(), 490.0);
    EXPECT_EQ(r->getRelY()->getSpan(), 20.0);

    // The parent rectangle itself is not held; its ranges are.
    parent = nullptr;
    EXPECT_EQ(px->refCount, 3);
    EXPECT_EQ(r->getRelY()->getEnd(), 10.0);
    r = nullptr;
    EXPECT_EQ(px->refCount, 1);
    EXPECT_EQ(py->refCount, 1);
  }
  EXPECT_EQ(memory.allocations, 6);
  EXPECT_EQ(memory.live(), 0u);
  EXPECT_EQ(memory.foreignReleases, 0);
}

TEST(RelativeRange2d, CreatesTheYRangeFirstAndSurvivesAFailedAllocation) {
  test::CountingMemory memory;
  {
    RefPtr<Range> px = heapRange(0.0, 800.0);
    RefPtr<Range> py = heapRange(0.0, 600.0);
    Range2d parent(px.get(), py.get());
    memory.failNextAllocation();
    RelativeRange2d r(&parent);
    EXPECT_EQ(r.getRelY(), nullptr);
    ASSERT_NE(r.getRelX(), nullptr);
    EXPECT_EQ(px->refCount, 4);
    EXPECT_EQ(py->refCount, 2);
    r.set(Layout2d{frac(0.5), frac(0.5)}, Layout2d{frac(1.0), frac(1.0)});
    EXPECT_EQ(r.getRelX()->getBegin(), 400.0);
    const Layout2d missing = r.getBeginLayoutAsType(Layout::kPinBegin, Layout::kPinBegin);
    EXPECT_EQ(missing.x.value, 400.0);
    EXPECT_EQ(missing.y.value, 0.0);
    EXPECT_EQ(missing.y.pin, Layout::kPinFraction);

    RelativeRange2d unparented(nullptr);
    EXPECT_EQ(unparented.getRelX()->getParent(), nullptr);
    EXPECT_EQ(unparented.getRelY()->getEnd(), 0.0);
  }
  EXPECT_EQ(memory.live(), 0u);
  EXPECT_EQ(memory.foreignReleases, 0);
}

TEST(Range2d, IndexZeroIsXAndAnyOtherIndexIsY) {
  test::CountingMemory memory;
  {
    RefPtr<Range> rx = heapRange(0.0, 1.0);
    RefPtr<Range> ry = heapRange(0.0, 1.0);
    const Range2d r(rx.get(), ry.get());
    EXPECT_EQ(r[0], rx.get());
    EXPECT_EQ(r[1], ry.get());
    EXPECT_EQ(r[-1], ry.get());
    EXPECT_EQ(r[7], ry.get());
    const Range2d empty(nullptr, ry.get());
    EXPECT_EQ(empty[0], nullptr);
    EXPECT_EQ(ry->refCount, 3);
  }
  EXPECT_EQ(memory.live(), 0u);
}

TEST(AbsoluteRange2d, SetCollapsesEachAxisSeparately) {
  test::CountingMemory memory;
  {
    RefPtr<AbsoluteRange2d> r(new AbsoluteRange2d(new Range, new Range));
    r->set(Vec2d{5.0, 5.0}, Vec2d{3.0, 9.0});
    EXPECT_EQ(r->getAbsX()->getBegin(), 5.0);
    EXPECT_EQ(r->getAbsX()->getEnd(), 5.0);
    EXPECT_EQ(r->getAbsY()->getBegin(), 5.0);
    EXPECT_EQ(r->getAbsY()->getEnd(), 9.0);
  }
  EXPECT_EQ(memory.allocations, 3);
  EXPECT_EQ(memory.live(), 0u);
}

TEST(ScreenVec, UnitParsingIsCaseSensitiveAndTriesTheNamesInTableOrder) {
  auto parse = [](const char *text) { return ScreenVec::unitsFromString(QString::fromUtf8(text)); };
  EXPECT_EQ(parse("fraction"), 1);
  EXPECT_EQ(parse("insetPixels"), 2);
  EXPECT_EQ(parse("12pixels"), 0);
  EXPECT_EQ(parse(""), 0);
  EXPECT_EQ(parse("FRACTION"), 0);
  EXPECT_EQ(parse("insetpixels"), 0);          // contains "pixels"
  EXPECT_EQ(parse("insetPixels fraction"), 1); // table order, not text order
  EXPECT_EQ(parse("a fraction of pixels"), 0); // "pixels" is tried first
  EXPECT_EQ(parse("0.5 fractional width"), 1); // a substring suffices
  EXPECT_EQ(parse("Pixels"), 0);               // matches nothing: the fallback
  EXPECT_EQ(parse("12 insetPixels"), 2);

  const ScreenVec v{1.0, 0.5, ScreenVec::kInsetPixels, ScreenVec::kFraction};
  EXPECT_EQ(v.getUnits(0), QStringLiteral("insetPixels"));
  EXPECT_EQ(v.getUnits(1), QStringLiteral("fraction"));
  EXPECT_EQ(v.getUnits(-3), QStringLiteral("fraction"));
  const ScreenVec bad{0.0, 0.0, 3, -1};
  EXPECT_EQ(bad.getUnits(0), QStringLiteral("pixels"));
  EXPECT_EQ(bad.getUnits(1), QStringLiteral("pixels"));
  EXPECT_EQ(ScreenVec::sUnitStrs[0], QStringLiteral("pixels"));
}

TEST(ScreenSpaceCalculator, PixelTangentsAreHalfFovTangentsOverHalfSizes) {
  const Vec3d eye{1.0, -2.0, 3.0};
  const double quarter = std::numbers::pi / 2;
  const math::ScreenSpaceCalculator c(eye, Vec2d{quarter, quarter}, Vec2<int>{800, 600});
  EXPECT_EQ(c.getPosition(), eye);
  EXPECT_DOUBLE_EQ(c.getPixelTanX(), 1.0 / 400);
  EXPECT_DOUBLE_EQ(c.getPixelTanY(), 1.0 / 300);
  EXPECT_EQ(c.getPixelTanSq(), c.getPixelTanY() * c.getPixelTanY());

  // The larger tangent may be the horizontal one.
  const math::ScreenSpaceCalculator wide(eye, Vec2d{2.0, 0.5}, Vec2<int>{1, 1});
  EXPECT_EQ(wide.getPixelTanX(), 2 * std::tan(1.0)); // dividing by 0.5 is exact
  EXPECT_EQ(wide.getPixelTanSq(), wide.getPixelTanX() * wide.getPixelTanX());

  for (const Vec2<int> size : {Vec2<int>{0, 600}, Vec2<int>{800, 0}, Vec2<int>{-800, -600}}) {
    const math::ScreenSpaceCalculator none(eye, Vec2d{quarter, quarter}, size);
    EXPECT_EQ(none.getPixelTanX(), 0.0);
    EXPECT_EQ(none.getPixelTanY(), 0.0);
    EXPECT_EQ(none.getPixelTanSq(), 0.0);
    EXPECT_EQ(none.getPosition(), eye);
  }
}
