// Layout ranges on arbitrary values: chains of relative ranges laid out in
// each other with any pin (including pins outside the enumeration), layout
// conversions between pin types, rectangles whose child allocation fails,
// unit names and the screen-space calculator. Queries allocate nothing,
// every block is returned when the last holder lets go, and results follow
// the documented rules.

#include "fuzz/FuzzSupport.h"
#include "math/Range.h"

#include <cmath>
#include <cstdint>

using namespace orrery;

namespace {

Layout readLayout(fuzz::Input &in) {
  Layout l;
  l.value = in.number();
  const int pin = in.integer(-1, 3);
  l.pin = static_cast<Layout::PinType>(pin == 3 ? std::int32_t(in.u32()) : pin);
  return l;
}

bool validPin(Layout::PinType p) { return p >= Layout::kPinFraction && p <= Layout::kPinEnd; }

// The documented value of one end, from its parent's current ends.
double expectedEnd(const Layout &l, const IRange &parent) {
  switch (l.pin) {
  case Layout::kPinFraction:
    return parent.getBegin() + l.value * parent.getSpan();
  case Layout::kPinBegin:
    return parent.getBegin() + l.value;
  case Layout::kPinEnd:
    return parent.getEnd() + l.value;
  default:
    return 0.0;
  }
}

bool sameValue(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

void checkChain(fuzz::Input &in) {
  const double b = in.number();
  const double e = in.number();
  RefPtr<Range> root(new Range(b, e));
  FUZZ_CHECK(root);
  FUZZ_CHECK(root->getBegin() == b || std::isnan(b));
  if (!std::isnan(b) && !std::isnan(e)) {
    FUZZ_CHECK(root->getEnd() >= root->getBegin());
  }

  RefPtr<IRange> parent = root;
  RefPtr<RelativeRange> ranges[4];
  const int depth = in.integer(1, 4);
  for (int i = 0; i < depth; ++i) {
    ranges[i] = new RelativeRange(parent.get(), readLayout(in), readLayout(in));
    FUZZ_CHECK(ranges[i]);
    parent = ranges[i];
  }
  if (in.flag()) {
    root->set(in.number(), in.number());
  }
  if (in.flag()) {
    ranges[depth - 1]->setLayout(readLayout(in), readLayout(in));
  }

  fuzz::NoAllocation none;
  for (int i = 0; i < depth; ++i) {
    const RelativeRange &r = *ranges[i];
    const IRange &p = *r.getParent();
    FUZZ_CHECK(sameValue(r.getBegin(), expectedEnd(r.getBeginLayout(), p)));
    FUZZ_CHECK(sameValue(r.getEnd(), expectedEnd(r.getEndLayout(), p)));
    FUZZ_CHECK(sameValue(r.getSpan(), r.getEnd() - r.getBegin()));

    // Converting to the stored pin returns the stored value untouched; a
    // conversion to another pin lands on the same position within rounding.
    const Layout begin = r.getBeginLayout();
    const auto type = static_cast<Layout::PinType>(in.integer(0, 2));
    const Layout same = r.getBeginLayoutAsType(begin.pin);
    FUZZ_CHECK(same.pin == begin.pin && sameValue(same.value, begin.value));
    const Layout converted = r.getBeginLayoutAsType(type);
    FUZZ_CHECK(converted.pin == type);
    if (validPin(begin.pin) && type != begin.pin) {
      const double position = r.getBegin();
      const double again = expectedEnd(converted, p);
      const double scale = std::fabs(p.getBegin()) + std::fabs(p.getEnd()) + std::fabs(position);
      if (std::isfinite(scale) && scale < 1e300 && std::fabs(p.getSpan()) > 1e-6 * scale) {
        FUZZ_CHECK(std::fabs(again - position) <= 1e-12 * scale);
      }
    }
    (void)r.getEndLayoutAsType(type);
  }
}

void checkRectangles(fuzz::Input &in) {
  auto &counter = fuzz::AllocationCounter::instance();
  const long liveBefore = counter.live;
  {
    RefPtr<Range> xr(new Range(in.number(), in.number()));
    RefPtr<Range> yr(new Range(in.number(), in.number()));
    RefPtr<AbsoluteRange2d> abs(new AbsoluteRange2d(xr.get(), in.flag() ? yr.get() : nullptr));
    abs->set(Vec2d{in.number(), in.number()}, Vec2d{in.number(), in.number()});

    // A failed allocation leaves the child null; the rectangle still answers.
    counter.failNext = in.flag();
    RefPtr<RelativeRange2d> rel(new RelativeRange2d(abs.get()));
    counter.failNext = false;
    if (rel) {
      rel->set(Layout2d{readLayout(in), readLayout(in)}, Layout2d{readLayout(in), readLayout(in)});
      fuzz::NoAllocation none;
      const auto px = static_cast<Layout::PinType>(in.integer(0, 2));
      const auto py = static_cast<Layout::PinType>(in.integer(0, 2));
      const Layout2d begin = rel->getBeginLayout();
      const Layout2d asType = rel->getBeginLayoutAsType(px, py);
      (void)rel->getEndLayoutAsType(px, py);
      (void)rel->getEndLayout();
      if (rel->getRelX() == nullptr) {
        FUZZ_CHECK(begin.x.value == 0.0 && begin.x.pin == Layout::kPinFraction);
        FUZZ_CHECK(asType.x.value == 0.0 && asType.x.pin == Layout::kPinFraction);
      }
      if (rel->getRelY() == nullptr) {
        FUZZ_CHECK(begin.y.value == 0.0 && begin.y.pin == Layout::kPinFraction);
      }
      for (int i = -1; i < 3; ++i) {
        const IRange *axis = (*rel)[i];
        if (axis != nullptr) {
          (void)axis->getSpan();
        }
      }
    }
  }
  // Every counted object is gone with its last holder.
  FUZZ_CHECK(counter.live == liveBefore);
}

void checkScreen(fuzz::Input &in) {
  ScreenVec v{in.number(), in.number(), std::int32_t(in.u32()), std::int32_t(in.u32())};
  {
    fuzz::NoAllocation none;
    const QString &xu = v.getUnits(0);
    const QString &yu = v.getUnits(in.integer(-5, 5));
    FUZZ_CHECK(&xu == &ScreenVec::sUnitStrs[v.xUnits >= 0 && v.xUnits < 3 ? v.xUnits : 0]);
    (void)yu;
  }
  const int length = in.integer(0, 24);
  QString text;
  for (int i = 0; i < length; ++i) {
    text.append(QChar(char16_t(in.byte() % 2 == 0 ? in.byte() : 'a' + in.byte() % 26)));
  }
  const int units = ScreenVec::unitsFromString(text);
  FUZZ_CHECK(units >= 0 && units < 3);
  if (units != 0) {
    FUZZ_CHECK(text.contains(ScreenVec::sUnitStrs[units]));
  }

  const Vec3d position{in.number(), in.number(), in.number()};
  const Vec2d fov{in.number(), in.number()};
  const Vec2<int> size{int(in.u32()), int(in.u32())};
  fuzz::NoAllocation none;
  const math::ScreenSpaceCalculator calc(position, fov, size);
  if (size.x < 1 || size.y < 1) {
    FUZZ_CHECK(calc.getPixelTanX() == 0.0 && calc.getPixelTanY() == 0.0 &&
               calc.getPixelTanSq() == 0.0);
  } else {
    FUZZ_CHECK(std::isnan(calc.getPixelTanSq()) || calc.getPixelTanSq() >= 0.0);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  return fuzz::runOne(data, size, {checkChain, checkRectangles, checkScreen}, false);
}
