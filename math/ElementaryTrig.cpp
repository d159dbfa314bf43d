// Sine, cosine and tangent, correctly rounded.
//
// The argument is reduced to x = N pi/1024 + r with |r| <= pi/2048 (a hair
// more when x 1024/pi rounds the other way), r as a double-double: by
// Cody-Waite with pi/1024 in three parts below 48 (|N| < 2^14) and in four
// parts below 2^20, and beyond that by the product of x with the bits of 1/pi
// (Payne-Hanek) in integer arithmetic. The absolute error of r is below
// 2^-104 |r| + 2^-127 in every case, so even the doubles closest to a
// multiple of pi/2 keep their reduced argument to about 2^-60 relative.
//
// With j = N mod 512 and the quadrant q = (N div 512) mod 4, sin x and cos x
// are +-sin t or +-cos t for t = j pi/1024 + r, and both are A cos r + B sin r
// with A and B double-double entries of a table of sin(j pi/1024). Written as
//   A + B r + A (cos r - 1) + B (sin r - r),
// the first two terms are carried as double-doubles and the last two (below
// 2^-18 of the result) in plain double. The value hi + lo then lies within
//   2^-48 (|A (cos r - 1)| + |B (sin r - r)|) + 2^-98 |hi| + 2^-126
// of the true one (the plain terms have at most nine roundings of 2^-53
// each; everything else is below 2^-100 of the result). Where the rounding
// test cannot decide with that bound, about two arguments in 10^5, MPFR does.
// Tangent divides the two double-doubles of sin t and cos t.
//
// Constants and tables come from scripts/elementary-tables/trig.cpp:
//   g++ -std=c++20 -O2 scripts/elementary-tables/trig.cpp -lmpfr -o /tmp/trig-tables
//   /tmp/trig-tables

#include "math/Elementary.h"
#include "math/detail/DoubleDouble.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace orrery::elementary {
namespace {

using detail::DoubleDouble;
using detail::exactProduct;
using detail::fastTwoSum;
using detail::kProcessorHasFma;
using detail::twoProduct;
using detail::twoSum;

constexpr double kInvDelta = 0x1.45f306dc9c883p+8;
// pi/1024 = kDelta1 + kDelta2 + kDelta3 (39, 39 and 53 bits)
constexpr double kDelta1 = 0x1.921fb54444p-9;
constexpr double kDelta2 = -0x1.2e7b967674p-49;
constexpr double kDelta3 = 0x1.8a2e03707344ap-90;
// pi/1024 = kDeltaB1 + kDeltaB2 + kDeltaB3 + kDeltaB4 (24, 24, 53 and 53 bits)
constexpr double kDeltaB1 = 0x1.921fb6p-9;
constexpr double kDeltaB2 = -0x1.777a5cp-34;
constexpr double kDeltaB3 = -0x1.ee59d9cceba4p-59;
constexpr double kDeltaB4 = 0x1.b839a252049c1p-113;
// pi/1024 as a double-double
constexpr double kDeltaHi = 0x1.921fb54442d18p-9;
constexpr double kDeltaLo = 0x1.1a62633145c07p-63;
constexpr std::uint32_t kInvPiWords[] = {
    0x517cc1b7, 0x27220a94, 0xfe13abe8, 0xfa9a6ee0, 0x6db14acc, 0x9e21c820, 0xff28b1d5, 0xef5de2b0,
    0xdb92371d, 0x2126e970, 0x03249775, 0x04e8c90e, 0x7f0ef58e, 0x5894d39f, 0x74411afa, 0x975da242,
    0x74ce3813, 0x5a2fbf20, 0x9cc8eb1c, 0xc1a99cfa, 0x4e422fc5, 0xdefc941d, 0x8ffc4bff, 0xef02cc07,
    0xf79788c5, 0xad05368f, 0xb69b3f67, 0x93e584db, 0xa7a31fb3, 0x4f2ff516, 0xba93dd63, 0xf5f2f8bd,
    0x9e839cfb, 0xc5294975, 0x35fdafd8, 0x8fc6ae84, 0x2b019823, 0x7e3db5d5, 0xf867de10, 0x4d7a1b0e,
};
constexpr DoubleDouble kSinTable[513] = {
    {0x0p+0, 0x0p+0},
    {0x1.921f8becca4bap-9, 0x1.2ba407bcab5b2p-63},
    {0x1.921f0fe670071p-8, 0x1.ab967fe6b7a9bp-64},
    {0x1.2d96b0e509703p-7, -0x1.1e9131ff52dc9p-63},
    {0x1.921d1fcdec784p-7, 0x1.9878ebe836d9dp-61},
    {0x1.f6a296ab997cbp-7, -0x1.f2943d8fe7033p-61},
    {0x1.2d936bbe30efdp-6, 0x1.b5f91ee371d64p-61},
    {0x1.5fd4d21fab226p-6, -0x1.0c0a91c37851cp-61},
    {0x1.92155f7a3667ep-6, -0x1.b1d63091a013p-64},
    {0x1.c454f4ce53b1dp-6, -0x1.d63d7fef0e36cp-60},
    {0x1.f693731d1cf01p-6, -0x1.3fe9bc66286c7p-66},
    {0x1.14685db42c17fp-5, -0x1.2890d277cb974p-59},
    {0x1.2d865759455cdp-5, 0x1.686f65ba93acp-61},
    {0x1.46a396ff86179p-5, 0x1.136ac00fa2da9p-61},
    {0x1.5fc00d290cd43p-5, 0x1.a2669a693a8e1p-59},
    {0x1.78dbaa5874686p-5, -0x1.4a0ef4035c29cp-60},
    {0x1.91f65f10dd814p-5, -0x1.912bd0d569a9p-61},
    {0x1.ab101bd5f8317p-5, -0x1.65c6175c6dc68p-59},
    {0x1.c428d12c0d7e3p-5, -0x1.89bc74b58c513p-60},
    {0x1.dd406f9808ec9p-5, 0x1.1313a4b4068bdp-62},
    {0x1.f656e79f820ep-5, -0x1.2e1ebe392bffep-61},
    {0x1.07b614e463064p-4, -0x1.384f8c3ee7605p-58},
    {0x1.1440134d709b3p-4, -0x1.fec446daea6adp-58},
    {0x1.20c9674ed444dp-4, -0x1.f9d48faba7974p-58},
    {0x1.2d52092ce19f6p-4, -0x1.9a088a8bf6b2cp-59},
    {0x1.39d9f12c5a299p-4, 0x1.1287ff27ae554p-62},
    {0x1.4661179272096p-4, -0x1.4b109f2406c4cp-58},
    {0x1.52e774a4d4d0ap-4, 0x1.b2edf18c730cbp-60},
    {0x1.5f6d00a9aa419p-4, -0x1.f4022d03f6c9ap-59},
    {0x1.6bf1b3e79b129p-4, -0x1.14b6da08765p-58},
    {0x1.787586a5d5b21p-4, 0x1.5f7589f083399p-58},
    {0x1.84f8712c130a1p-4, -0x1.e626ebafe374ep-58},
    {0x1.917a6bc29b42cp-4, -0x1.e2718d26ed688p-60},
    {0x1.9dfb6eb24a85cp-4, 0x1.e96b47b8c44e6p-59},
    {0x1.aa7b724495c03p-4, 0x1.e5399ba0967b8p-58},
    {0x1.b6fa6ec38f64cp-4, 0x1.db5d943691f09p-58},
    {0x1.c3785c79ec2d5p-4, -0x1.4f39df133fb21p-61},
    {0x1.cff533b307dc1p-4, 0x1.8feeb8f9c3334p-59},
    {0x1.dc70ecbae9fc9p-4, 0x1.2fda2d73295eep-60},
    {0x1.e8eb7fde4aa3fp-4, -0x1.23758f2d5bb8bp-58},
    {0x1.f564e56a9730ep-4, 0x1.a2704729ae56dp-59},
    {0x1.00ee8ad6fb85bp-3, 0x1.673eac8308f11p-58},
    {0x1.072a047ba831dp-3, 0x1.19db1f70118cap-58},
    {0x1.0d64dbcb26786p-3, -0x1.713a562132055p-58},
    {0x1.139f0cedaf577p-3, -0x1.523434d1b3cfap-57},
    {0x1.19d8940be24e7p-3, 0x1.e8dcdca90cc74p-58},
    {0x1.20116d4ec7bcfp-3, -0x1.242c8e1053452p-57},
    {0x1.264994dfd3409p-3, 0x1.a744ce26f39cp-57},
    {0x1.2c8106e8e613ap-3, 0x1.13000a89a11ep-58},
    {0x1.32b7bf94516a7p-3, 0x1.2a24e2431ef29p-57},
    {0x1.38edbb0cd8d14p-3, -0x1.198c21fbf7718p-57},
    {0x1.3f22f57db4893p-3, 0x1.bfe7ff2274956p-59},
    {0x1.45576b1293e5ap-3, -0x1.285a24119f7b1p-58},
    {0x1.4b8b17f79fa88p-3, 0x1.b534fe588f0dp-57},
    {0x1.51bdf8597c5f2p-3, -0x1.9f9976af04aa5p-61},
    {0x1.57f008654cbdep-3, 0x1.908c95c4c9118p-58},
    {0x1.5e214448b3fc6p-3, 0x1.531ff779ddac6p-57},
    {0x1.6451a831d830dp-3, 0x1.ad16031a34d5p-58},
    {0x1.6a81304f64ab2p-3, 0x1.f0cd73fb5d8d4p-58},
    {0x1.70afd8d08c4ffp-3, 0x1.260c3f1369484p-57},
    {0x1.76dd9de50bf31p-3, 0x1.1d5eeec501b2fp-57},
    {0x1.7d0a7bbd2cb1cp-3, -0x1.cf900f27c58efp-57},
    {0x1.83366e89c64c6p-3, -0x1.192952df10db8p-57},
    {0x1.8961727c41804p-3, 0x1.3fdab4e42640ap-58},
    {0x1.8f8b83c69a60bp-3, -0x1.26d19b9ff8d82p-57},
    {0x1.95b49e9b62afap-3, -0x1.100b3d1dbfeaap-59},
    {0x1.9bdcbf2dc4366p-3, 0x1.9632d189956fep-57},
    {0x1.a203e1b1831dap-3, 0x1.c1aadb580a1ecp-58},
    {0x1.a82a025b00451p-3, -0x1.87905ffd084adp-57},
    {0x1.ae4f1d5f3b9abp-3, 0x1.aa8bbcef9b68ep-57},
    {0x1.b4732ef3d6722p-3, 0x1.bbe5d5d75cbd8p-57},
    {0x1.ba96334f15dadp-3, -0x1.75098c05dd18ap-57},
    {0x1.c0b826a7e4f63p-3, -0x1.af1439e521935p-62},
    {0x1.c6d90535d74ddp-3, -0x1.bfb2be2264962p-59},
    {0x1.ccf8cb312b286p-3, 0x1.2382b0aecadf8p-58},
    {0x1.d31774d2cbdeep-3, 0x1.2fdc8e5791a0bp-57},
    {0x1.d934fe5454311p-3, 0x1.75b92277107adp-57},
    {0x1.df5163f01099ap-3, -0x1.01f7d79906e86p-57},
    {0x1.e56ca1e101a1bp-3, 0x1.46ac3f9fd0227p-57},
    {0x1.eb86b462de348p-3, -0x1.bfcde46f90b62p-57},
    {0x1.f19f97b215f1bp-3, -0x1.42deef11da2c4p-57},
    {0x1.f7b7480bd3802p-3, -0x1.9a96d967ee12ep-57},
    {0x1.fdcdc1adfedf9p-3, -0x1.2dba4580ed7bbp-57},
    {0x1.01f1806b9fdd2p-2, -0x1.448135394b8bap-56},
    {0x1.04fb80e37fdaep-2, -0x1.412cdb72583ccp-63},
    {0x1.0804e05eb661ep-2, 0x1.54e583d92d3d8p-56},
    {0x1.0b0d9cfdbdb9p-2, 0x1.3b3a7b8d1200dp-58},
    {0x1.0e15b4e1749cep-2, -0x1.5b7fb156c550ap-56},
    {0x1.111d262b1f677p-2, 0x1.824c20ab7aa9ap-56},
    {0x1.1423eefc69378p-2, 0x1.22d3368ec9b62p-56},
    {0x1.172a0d7765177p-2, 0x1.22575f33366bep-57},
    {0x1.1a2f7fbe8f243p-2, 0x1.6465ac86ba7b2p-56},
    {0x1.1d3443f4cdb3ep-2, -0x1.720d41c13519ep-57},
    {0x1.2038583d727bep-2, -0x1.c69cd46300a3p-57},
    {0x1.233bbabc3bb71p-2, 0x1.99b04e23259efp-56},
    {0x1.263e6995554bap-2, 0x1.1d350ffc5ff32p-56},
    {0x1.294062ed59f06p-2, -0x1.5d28da2c4612dp-56},
    {0x1.2c41a4e95452p-2, 0x1.9cf0354aad2dcp-56},
    {0x1.2f422daec0387p-2, -0x1.7501ba473da6fp-56},
    {0x1.3241fb638baafp-2, 0x1.ecee8f76f8c51p-60},
    {0x1.35410c2e18152p-2, -0x1.3cb002f96e062p-56},
    {0x1.383f5e353b6abp-2, -0x1.a812a4a5c3d44p-56},
    {0x1.3b3cefa0414b7p-2, 0x1.f36dc4a9c2294p-56},
    {0x1.3e39be96ec271p-2, 0x1.814c6de9aaaf6p-56},
    {0x1.4135c94176601p-2, 0x1.0c97c4afa2518p-56},
    {0x1.44310dc8936fp-2, 0x1.8b694e91d3125p-56},
    {0x1.472b8a5571054p-2, -0x1.01ea0fe4dff23p-56},
    {0x1.4a253d11b82f3p-2, -0x1.2afa4d6d42a55p-58},
    {0x1.4d1e24278e76ap-2, 0x1.2417218792858p-57},
    {0x1.50163dc197048p-2, -0x1.ec66cb05c7ea4p-56},
    {0x1.530d880af3c24p-2, -0x1.fab8e2103fbd6p-56},
    {0x1.5604012f467b4p-2, 0x1.a0e0b2a5b25p-56},
    {0x1.58f9a75ab1fddp-2, -0x1.efdc0d58cf62p-62},
    {0x1.5bee78b9db3b6p-2, 0x1.e734a63158dfdp-58},
    {0x1.5ee27379ea693p-2, 0x1.634ff2fa75245p-56},
    {0x1.61d595c88c202p-2, 0x1.f6b1e333415d7p-56},
    {0x1.64c7ddd3f27c6p-2, 0x1.10d2b4a664121p-58},
    {0x1.67b949cad63cbp-2, -0x1.a23369348d7efp-56},
    {0x1.6aa9d7dc77e17p-2, -0x1.38b470592c7b3p-56},
    {0x1.6d998638a0cb6p-2, -0x1.1ca14532860dfp-61},
    {0x1.7088530fa459fp-2, -0x1.44b19e0864c5dp-56},
    {0x1.73763c9261092p-2, -0x1.52324face3b1ap-57},
    {0x1.766340f2418f6p-2, 0x1.2b2adc9041b2cp-56},
    {0x1.794f5e613dfaep-2, 0x1.820a4b0d21fc5p-57},
    {0x1.7c3a9311dcce7p-2, 0x1.9a3f21ef3e8d9p-62},
    {0x1.7f24dd37341e4p-2, 0x1.2791a1b5eb796p-57},
    {0x1.820e3b04eaac4p-2, -0x1.92379eb01c6b6p-59},
    {0x1.84f6aaaf3903fp-2, 0x1.6dcdc2bd47067p-57},
    {0x1.87de2a6aea963p-2, -0x1.72cedd3d5a61p-57},
    {0x1.8ac4b86d5ed44p-2, 0x1.17fa7f944ad5bp-56},
    {0x1.8daa52ec8a4bp-2, -0x1.72eb2db8c621ep-57},
    {0x1.908ef81ef7bd1p-2, 0x1.4c00267012357p-56},
    {0x1.9372a63bc93d7p-2, 0x1.684319e5ad5b1p-57},
    {0x1.96555b7ab948fp-2, 0x1.7afd51eff33adp-56},
    {0x1.993716141bdffp-2, -0x1.15e8cce261c55p-56},
    {0x1.9c17d440df9f2p-2, 0x1.923c540a9eec4p-57},
    {0x1.9ef7943a8ed8ap-2, 0x1.6da81290bdbabp-57},
    {0x1.a1d6543b50acp-2, -0x1.0246cfd8779fbp-57},
    {0x1.a4b4127dea1e5p-2, -0x1.bec6f01bc22f1p-56},
    {0x1.a790cd3dbf31bp-2, -0x1.7f786986d9023p-57},
    {0x1.aa6c82b6d3fcap-2, -0x1.d5f106ee5ccf7p-56},
    {0x1.ad473125cdc09p-2, -0x1.379ede57649dap-58},
    {0x1.b020d6c7f4009p-2, 0x1.414ae7e555208p-58},
    {0x1.b2f971db31972p-2, 0x1.fa971a4a41f2p-56},
    {0x1.b5d1009e15ccp-2, 0x1.5b362cb974183p-57},
    {0x1.b8a7814fd5693p-2, 0x1.9a9e6651cc119p-56},
    {0x1.bb7cf2304bd01p-2, 0x1.9e1a5bd9269d4p-57},
    {0x1.be51517ffc0d9p-2, 0x1.2b667131a5f16p-56},
    {0x1.c1249d8011ee7p-2, -0x1.813aabb515206p-56},
    {0x1.c3f6d47263129p-2, 0x1.9c7bd0fcdecddp-56},
    {0x1.c6c7f4997000bp-2, -0x1.bec2669c68e74p-56},
    {0x1.c997fc3865389p-2, -0x1.6295f8b0ca33bp-56},
    {0x1.cc66e9931c45ep-2, 0x1.6850e59c37f8fp-58},
    {0x1.cf34baee1cd21p-2, -0x1.118724d19d014p-56},
    {0x1.d2016e8e9db5bp-2, -0x1.c8bce9d93efb8p-57},
    {0x1.d4cd02ba8609dp-2, -0x1.37f33c63033d6p-57},
    {0x1.d79775b86e389p-2, 0x1.550ec87bc0575p-56},
    {0x1.da60c5cfa10d9p-2, -0x1.0f38e2143c8d5p-57},
    {0x1.dd28f1481cc58p-2, -0x1.e7576fa6c944ep-59},
    {0x1.dfeff66a941dep-2, -0x1.a756c6e625f96p-56},
    {0x1.e2b5d3806f63bp-2, 0x1.e0d891d3c6841p-58},
    {0x1.e57a86d3cd825p-2, -0x1.2c80dcd511e87p-57},
    {0x1.e83e0eaf85114p-2, -0x1.7bc380ef24ba7p-57},
    {0x1.eb00695f2562p-2, 0x1.53c9fd3083e22p-56},
    {0x1.edc1952ef78d6p-2, -0x1.dd0f7c33edee6p-56},
    {0x1.f081906bff7fep-2, -0x1.4cab2d4ff6fccp-56},
    {0x1.f3405963fd067p-2, 0x1.06846d44a238fp-56},
    {0x1.f5fdee656cda3p-2, -0x1.7bf9780816b05p-58},
    {0x1.f8ba4dbf89abap-2, -0x1.2ec1fc1b776b8p-60},
    {0x1.fb7575c24d2dep-2, -0x1.5bfdc883c8664p-57},
    {0x1.fe2f64be7121p-2, -0x1.297ab1ca2d7dbp-56},
    {0x1.00740c82b82e1p-1, -0x1.6d48563c60e87p-55},
    {0x1.01cfc874c3eb7p-1, -0x1.34a35e7c2368cp-56},
    {0x1.032ae55edbd96p-1, -0x1.bdb022b40107ap-55},
    {0x1.0485626ae221ap-1, 0x1.b937d9091ff7p-55},
    {0x1.05df3ec31b8b7p-1, -0x1.e2dcad34d9c1dp-57},
    {0x1.073879922ffeep-1, -0x1.a5a014347406cp-55},
    {0x1.089112032b08cp-1, 0x1.3248ddf9fe619p-57},
    {0x1.09e907417c5e1p-1, -0x1.fe573741a9bd4p-55},
    {0x1.0b405878f85ecp-1, -0x1.ad66c3bb80da5p-55},
    {0x1.0c9704d5d898fp-1, -0x1.8d3d7de6ee9b2p-55},
    {0x1.0ded0b84bc4b6p-1, -0x1.8540fa327c55cp-55},
    {0x1.0f426bb2a8e7ep-1, -0x1.bb58fb774f8eep-55},
    {0x1.1097248d0a957p-1, -0x1.7a58759ba80ddp-55},
    {0x1.11eb3541b4b23p-1, -0x1.ef23b69abe4f1p-55},
    {0x1.133e9cfee254fp-1, -0x1.a1377cfd5ce5p-56},
    {0x1.14915af336cebp-1, 0x1.f3660558a0213p-56},
    {0x1.15e36e4dbe2bcp-1, 0x1.3c545f7d79eaep-56},
    {0x1.1734d63dedb49p-1, -0x1.7eef2ccc50575p-55},
    {0x1.188591f3a46e5p-1, -0x1.bbefe5a524346p-56},
    {0x1.19d5a09f2b9b8p-1, -0x1.33656c68a1d4ap-57},
    {0x1.1b250171373bfp-1, -0x1.b210e95e1ca4cp-55},
    {0x1.1c73b39ae68c8p-1, 0x1.b25dd267f66p-55},
    {0x1.1dc1b64dc4872p-1, 0x1.f15e1c468be78p-57},
    {0x1.1f0f08bbc861bp-1, -0x1.10d9dcafb74cbp-57},
    {0x1.205baa17560d6p-1, 0x1.b7b144016c7a3p-56},
    {0x1.21a799933eb59p-1, -0x1.3a7b177c68fb2p-55},
    {0x1.22f2d662c13e2p-1, -0x1.d5cc7580cb6d2p-55},
    {0x1.243d5fb98ac1fp-1, 0x1.c533d0a284a8dp-56},
    {0x1.258734cbb711p-1, 0x1.3a3f0903ce09dp-57},
    {0x1.26d054cdd12dfp-1, -0x1.5da743ef3770cp-55},
    {0x1.2818bef4d3cbap-1, -0x1.e3fffeb76568ap-56},
    {0x1.2960727629ca8p-1, 0x1.56d6c7af02d5cp-56},
    {0x1.2aa76e87aeb58p-1, 0x1.fd600833287a7p-59},
    {0x1.2bedb25faf3eap-1, -0x1.14981c796ee46p-58},
    {0x1.2d333d34e9bb8p-1, -0x1.0e2c2c5549e26p-55},
    {0x1.2e780e3e8ea17p-1, -0x1.b19fafe36587ap-55},
    {0x1.2fbc24b441015p-1, 0x1.dba4875410874p-57},
    {0x1.30ff7fce17035p-1, -0x1.efcc626f74a6fp-57},
    {0x1.32421ec49a61fp-1, 0x1.65e25cc951bfep-55},
    {0x1.338400d0c8e57p-1, -0x1.abf2a5e95e6e5p-55},
    {0x1.34c5252c14de1p-1, 0x1.583f49632ab2bp-55},
    {0x1.36058b10659f3p-1, -0x1.1fcb3a35857e7p-55},
    {0x1.374531b817f8dp-1, 0x1.444d2b0a747fep-55},
    {0x1.3884185dfeb22p-1, -0x1.a038026abe6b2p-56},
    {0x1.39c23e3d63029p-1, -0x1.3b05b276085c1p-58},
    {0x1.3affa292050b9p-1, 0x1.e3e25e3954964p-56},
    {0x1.3c3c44981c518p-1, -0x1.b5e9a9644151bp-55},
    {0x1.3d78238c58344p-1, -0x1.0219f5f0f79cep-55},
    {0x1.3eb33eabe068p-1, 0x1.86a2357d1a0d3p-58},
    {0x1.3fed9534556d4p-1, 0x1.36916608c5061p-55},
    {0x1.41272663d108cp-1, 0x1.1bbe7636fadf5p-55},
    {0x1.425ff178e6bb1p-1, 0x1.7b38d675140cap-55},
    {0x1.4397f5b2a438p-1, -0x1.7274c9e48c226p-55},
    {0x1.44cf325091dd6p-1, 0x1.8076a2cfdc6b3p-57},
    {0x1.4605a692b32a2p-1, 0x1.21ca219b97107p-55},
    {0x1.473b51b987347p-1, 0x1.ca1953514e41bp-57},
    {0x1.48703306091ffp-1, -0x1.70813b86159fdp-57},
    {0x1.49a449b9b0939p-1, -0x1.27ee16d719b94p-55},
    {0x1.4ad79516722f1p-1, -0x1.1273b163000f7p-55},
    {0x1.4c0a145ec0004p-1, 0x1.2630cfafceaa1p-58},
    {0x1.4d3bc6d589f7fp-1, 0x1.6e4d9d6b72011p-55},
    {0x1.4e6cabbe3e5e9p-1, 0x1.3c293edceb327p-57},
    {0x1.4f9cc25cca486p-1, 0x1.48b5951cfc2b5p-55},
    {0x1.50cc09f59a09bp-1, 0x1.693463a2c2e6fp-56},
    {0x1.51fa81cd99aa6p-1, -0x1.499f59d8560e9p-63},
    {0x1.5328292a35596p-1, -0x1.a12eb89da0257p-56},
    {0x1.5454ff5159dfcp-1, -0x1.4e247588bf256p-55},
    {0x1.5581038975137p-1, 0x1.4570d9efe26dfp-55},
    {0x1.56ac35197649fp-1, -0x1.f7874188cb279p-55},
    {0x1.57d69348cecap-1, -0x1.75720992bfbb2p-55},
    {0x1.59001d5f723dfp-1, 0x1.a9f86ba0dde98p-56},
    {0x1.5a28d2a5d725p-1, 0x1.57a25f8b1343p-55},
    {0x1.5b50b264f7448p-1, 0x1.519d30d4cfebp-56},
    {0x1.5c77bbe65018cp-1, 0x1.069ea9c0bc32ap-55},
    {0x1.5d9dee73e345cp-1, -0x1.de1165ecdf7a3p-57},
    {0x1.5ec3495837074p-1, 0x1.dea89a9b8f727p-56},
    {0x1.5fe7cbde56a1p-1, -0x1.fcb9cc30cc01ep-55},
    {0x1.610b7551d2cdfp-1, -0x1.251b352ff2a37p-56},
    {0x1.622e44fec22ffp-1, 0x1.f98d8be132d57p-56},
    {0x1.63503a31c1be9p-1, 0x1.1248f09e6587cp-57},
    {0x1.64715437f535bp-1, -0x1.7c399c15a17dp-55},
    {0x1.6591925f0783dp-1, 0x1.c3d64fbf5de23p-55},
    {0x1.66b0f3f52b386p-1, 0x1.1e2eb31a8848bp-55},
    {0x1.67cf78491af1p-1, 0x1.750ab23477b61p-59},
    {0x1.68ed1eaa19c71p-1, 0x1.fd4a85350f69p-56},
    {0x1.6a09e667f3bcdp-1, -0x1.bdd3413b26456p-55},
    {0x1.6b25ced2fe29cp-1, -0x1.5ac64116beda5p-55},
    {0x1.6c40d73c18275p-1, 0x1.25d4f802be257p-57},
    {0x1.6d5afef4aafcdp-1, -0x1.868a696b8835ep-55},
    {0x1.6e74454eaa8afp-1, -0x1.dbc03c84e226ep-55},
    {0x1.6f8ca99c95b75p-1, 0x1.f22e7a35723f4p-56},
    {0x1.70a42b3176d7ap-1, -0x1.d9e3fbe2e15ap-56},
    {0x1.71bac960e41bfp-1, -0x1.b858d90b0f7d8p-56},
    {0x1.72d0837efff96p-1, 0x1.0d4ef0f1d915cp-55},
    {0x1.73e558e079942p-1, -0x1.2663126697f5ep-55},
    {0x1.74f948da8d28dp-1, 0x1.19900a3b9a3a2p-63},
    {0x1.760c52c304764p-1, -0x1.11d76f8e50f1fp-55},
    {0x1.771e75f037261p-1, 0x1.5cfce8d84068fp-56},
    {0x1.782fb1b90b35bp-1, -0x1.3e46c1dfd001cp-55},
    {0x1.79400574f55e5p-1, -0x1.0adadbdb4c65ap-55},
    {0x1.7a4f707bf97d2p-1, 0x1.3c9751b491eafp-55},
    {0x1.7b5df226aafafp-1, -0x1.0f537acdf0ad7p-56},
    {0x1.7c6b89ce2d333p-1, -0x1.cfd628084982cp-56},
    {0x1.7d7836cc33db2p-1, 0x1.162715ef03f85p-56},
    {0x1.7e83f87b03686p-1, 0x1.b61a8ccabad6p-57},
    {0x1.7f8ece3571771p-1, -0x1.9c8d8ce93c917p-55},
    {0x1.8098b756e52fap-1, 0x1.9136e834b4707p-55},
    {0x1.81a1b33b57accp-1, -0x1.5dea12d66bb66p-55},
    {0x1.82a9c13f545ffp-1, -0x1.65e87a7a8cde9p-56},
    {0x1.83b0e0bff976ep-1, -0x1.6f420f8ea3475p-56},
    {0x1.84b7111af83fap-1, -0x1.63a47df0b21bap-55},
    {0x1.85bc51ae958ccp-1, 0x1.45ba6478086ccp-55},
    {0x1.86c0a1d9aa195p-1, 0x1.84564f09c3726p-59},
    {0x1.87c400fba2ebfp-1, -0x1.2dabc0c3f64cdp-55},
    {0x1.88c66e7481ba1p-1, -0x1.5c6228970cf35p-56},
    {0x1.89c7e9a4dd4aap-1, 0x1.db6ea04a8678fp-55},
    {0x1.8ac871ede1d88p-1, -0x1.9afaa5b7cfc55p-55},
    {0x1.8bc806b151741p-1, -0x1.2c5e12ed1336dp-55},
    {0x1.8cc6a75184655p-1, -0x1.e18b3657e2285p-55},
    {0x1.8dc45331698ccp-1, 0x1.1d9fcd83634d7p-57},
    {0x1.8ec109b486c49p-1, -0x1.cb2a3eb6af617p-56},
    {0x1.8fbcca3ef940dp-1, -0x1.6dfa99c86f2f1p-57},
    {0x1.90b7943575efep-1, 0x1.4ecb0c5273706p-57},
    {0x1.91b166fd49da2p-1, -0x1.3be953a7fe996p-57},
    {0x1.92aa41fc5a815p-1, -0x1.68f89e2d23db7p-57},
    {0x1.93a22499263fbp-1, 0x1.3d419a920df0bp-55},
    {0x1.94990e3ac4a6cp-1, 0x1.a95328edeb3e6p-56},
    {0x1.958efe48e6dd7p-1, -0x1.561335da0f4e7p-55},
    {0x1.9683f42bd7fe1p-1, -0x1.11bad933c835ep-57},
    {0x1.9777ef4c7d742p-1, -0x1.15479a240665ep-55},
    {0x1.986aef1457594p-1, -0x1.af03e318f38fcp-55},
    {0x1.995cf2ed80d22p-1, 0x1.7783e907fbd7bp-56},
    {0x1.9a4dfa42b06b2p-1, -0x1.829b6b8b1c947p-56},
    {0x1.9b3e047f38741p-1, -0x1.30ee286712474p-55},
    {0x1.9c2d110f075c2p-1, 0x1.d9c9f1c8c30dp-55},
    {0x1.9d1b1f5ea80d5p-1, 0x1.c5fadd5ffb36fp-55},
    {0x1.9e082edb42472p-1, 0x1.5809a4e121e22p-57},
    {0x1.9ef43ef29af94p-1, 0x1.b1dfcb60445c2p-56},
    {0x1.9fdf4f13149dep-1, 0x1.1e6d79006ec09p-55},
    {0x1.a0c95eabaf937p-1, -0x1.e0ca3acbd049ap-55},
    {0x1.a1b26d2c0a75ep-1, 0x1.30ef431d627a6p-57},
    {0x1.a29a7a0462782p-1, -0x1.128bb015df175p-56},
    {0x1.a38184a593bc6p-1, -0x1.bc92c5bd2d288p-55},
    {0x1.a4678c8119ac8p-1, 0x1.1b4c0dd3f212ap-55},
    {0x1.a54c91090f523p-1, 0x1.184300fd1c1cep-56},
    {0x1.a63091b02fae2p-1, -0x1.e911152248d1p-56},
    {0x1.a7138de9d60f5p-1, -0x1.f1ab82a9c5f2dp-55},
    {0x1.a7f58529fe69dp-1, -0x1.97a441584a179p-55},
    {0x1.a8d676e545ad2p-1, -0x1.b11dcce2e74bdp-59},
    {0x1.a9b66290ea1a3p-1, 0x1.9f630e8b6dac8p-60},
    {0x1.aa9547a2cb98ep-1, 0x1.87d00ae97abaap-60},
    {0x1.ab7325916c0d4p-1, 0x1.a8b8c85baaa9bp-55},
    {0x1.ac4ffbd3efac8p-1, -0x1.818504103fa16p-56},
    {0x1.ad2bc9e21d511p-1, -0x1.47fbe07bea548p-55},
    {0x1.ae068f345ecefp-1, -0x1.33934c4029a4cp-56},
    {0x1.aee04b43c1474p-1, -0x1.3a79a438bf8ccp-55},
    {0x1.afb8fd89f57b6p-1, 0x1.1ced12d2899b8p-60},
    {0x1.b090a581502p-1, -0x1.926da300ffccep-55},
    {0x1.b16742a4ca2f5p-1, -0x1.ba70972b80438p-55},
    {0x1.b23cd470013b4p-1, 0x1.5a1bb35ad6d2ep-56},
    {0x1.b3115a5f37bf3p-1, 0x1.dde2726e34fe1p-55},
    {0x1.b3e4d3ef55712p-1, -0x1.eb6b8bf11a493p-55},
    {0x1.b4b7409de7925p-1, 0x1.f4e257bde73d8p-56},
    {0x1.b5889fe921405p-1, -0x1.df49b307c8602p-57},
    {0x1.b658f14fdbc47p-1, 0x1.52b5308f397dep-57},
    {0x1.b728345196e3ep-1, -0x1.bc69f324e6d61p-55},
    {0x1.b7f6686e792e9p-1, 0x1.87665bfea06aap-55},
    {0x1.b8c38d27504e9p-1, -0x1.1529abff40e45p-55},
    {0x1.b98fa1fd9155ep-1, 0x1.5559034fe85a4p-55},
    {0x1.ba5aa673590d2p-1, 0x1.7ea4e370753b6p-55},
    {0x1.bb249a0b6c40dp-1, -0x1.d6318ee919f7ap-58},
    {0x1.bbed7c49380eap-1, 0x1.beacbd88500b4p-59},
    {0x1.bcb54cb0d2327p-1, 0x1.410923c55523ep-62},
    {0x1.bd7c0ac6f952ap-1, -0x1.825a732ac700ap-55},
    {0x1.be41b611154c1p-1, -0x1.fdcdad3a6877ep-55},
    {0x1.bf064e15377ddp-1, 0x1.2156026a1e028p-57},
    {0x1.bfc9d25a1b147p-1, -0x1.51bf4ee01357p-61},
    {0x1.c08c426725549p-1, 0x1.b157fd80e2946p-58},
    {0x1.c14d9dc465e57p-1, 0x1.ce36b64c7f3ccp-55},
    {0x1.c20de3fa971bp-1, -0x1.b4ca2bab1322cp-55},
    {0x1.c2cd14931e3f1p-1, 0x1.2ce2f9d4600f5p-56},
    {0x1.c38b2f180bdb1p-1, -0x1.6e0b1757c8d07p-56},
    {0x1.c44833141c004p-1, 0x1.23e0521df01a2p-56},
    {0x1.c5042012b6907p-1, -0x1.5c058dd8eaba5p-57},
    {0x1.c5bef59fef85ap-1, -0x1.f0a406c8b7468p-58},
    {0x1.c678b3488739bp-1, 0x1.d86cac7c5ff5bp-57},
    {0x1.c7315899eaad7p-1, -0x1.9be5dcd047da7p-57},
    {0x1.c7e8e52233cf3p-1, 0x1.b2ad324aa35c1p-57},
    {0x1.c89f587029c13p-1, 0x1.588358ed6e78fp-58},
    {0x1.c954b213411f5p-1, -0x1.2fb761e946603p-58},
    {0x1.ca08f19b9c449p-1, -0x1.431e0a5a737fdp-56},
    {0x1.cabc169a0b9p-1, 0x1.c42d3e10851d1p-55},
    {0x1.cb6e20a00da99p-1, -0x1.4fb24b5194c1bp-55},
    {0x1.cc1f0f3fcfc5cp-1, 0x1.e57613b68f6abp-56},
    {0x1.cccee20c2deap-1, -0x1.d3116ae0e69e4p-55},
    {0x1.cd7d9898b32f6p-1, -0x1.f2fa062496738p-57},
    {0x1.ce2b32799a06p-1, -0x1.631d457e46317p-56},
    {0x1.ced7af43cc773p-1, -0x1.e7b6bb5ab58aep-58},
    {0x1.cf830e8ce467bp-1, -0x1.7b9202780d49dp-55},
    {0x1.d02d4feb2bd92p-1, 0x1.195ff41bc55fep-55},
    {0x1.d0d672f59d2b9p-1, -0x1.c83009f0c39dep-55},
    {0x1.d17e7743e35dcp-1, -0x1.101da3540130ap-58},
    {0x1.d2255c6e5a4e1p-1, -0x1.d129a71ecafc9p-55},
    {0x1.d2cb220e0ef9fp-1, -0x1.f07656d4e6652p-56},
    {0x1.d36fc7bcbfbdcp-1, -0x1.ba196d95a177dp-55},
    {0x1.d4134d14dc93ap-1, -0x1.4ef5295d25af2p-55},
    {0x1.d4b5b1b187524p-1, -0x1.f56be6b42b76dp-57},
    {0x1.d556f52e93eb1p-1, -0x1.80ed9233a963p-55},
    {0x1.d5f7172888a7fp-1, -0x1.68663e2225755p-55},
    {0x1.d696173c9e68bp-1, -0x1.e8c61c6393d55p-56},
    {0x1.d733f508c0dffp-1, -0x1.007928e770cd5p-55},
    {0x1.d7d0b02b8ecf9p-1, 0x1.800f4ce65cd6ep-55},
    {0x1.d86c48445a44fp-1, 0x1.e8813c023d71fp-55},
    {0x1.d906bcf328d46p-1, 0x1.457e610231ac2p-56},
    {0x1.d9a00dd8b3d46p-1, 0x1.bea0e4bac8e16p-58},
    {0x1.da383a9668988p-1, -0x1.5811000b39d84p-55},
    {0x1.dacf42ce68ab9p-1, -0x1.fe8d76efdf896p-56},
    {0x1.db6526238a09bp-1, -0x1.adee7eae6946p-56},
    {0x1.dbf9e4395759ap-1, 0x1.d8ff7350f75fdp-55},
    {0x1.dc8d7cb41026p-1, 0x1.6b7872773830dp-56},
    {0x1.dd1fef38a915ap-1, -0x1.782f169e17f3bp-55},
    {0x1.ddb13b6ccc23cp-1, 0x1.83c37c6107db3p-55},
    {0x1.de4160f6d8d81p-1, 0x1.9bf11cc5f8776p-55},
    {0x1.ded05f7de47dap-1, -0x1.2cc4c1f8ba966p-55},
    {0x1.df5e36a9ba59cp-1, -0x1.e01f8bceb43d3p-57},
    {0x1.dfeae622dbe2bp-1, -0x1.514ea88425567p-55},
    {0x1.e0766d9280f54p-1, 0x1.f44c969cf62e3p-55},
    {0x1.e100cca2980acp-1, -0x1.02d182acdf825p-57},
    {0x1.e18a02fdc66d9p-1, 0x1.07e272abd88cfp-55},
    {0x1.e212104f686e5p-1, -0x1.014c76c126527p-55},
    {0x1.e298f4439197ap-1, 0x1.e84e601038eb2p-57},
    {0x1.e31eae870ce25p-1, -0x1.bc7094538d678p-56},
    {0x1.e3a33ec75ce85p-1, 0x1.45089cd46bbb8p-57},
    {0x1.e426a4b2bc17ep-1, 0x1.a873889744882p-55},
    {0x1.e4a8dff81ce5ep-1, 0x1.43578776c0f46p-55},
    {0x1.e529f04729ffcp-1, 0x1.9075d6e6dfc8bp-55},
    {0x1.e5a9d550467d3p-1, 0x1.7d431be53f92fp-56},
    {0x1.e6288ec48e112p-1, -0x1.16b56f2847754p-57},
    {0x1.e6a61c55d53a7p-1, 0x1.660d981acdcf7p-56},
    {0x1.e7227db6a9744p-1, 0x1.2128794da5a5p-55},
    {0x1.e79db29a5165ap-1, -0x1.75e710aca58p-56},
    {0x1.e817bab4cd10dp-1, -0x1.d0afe686b5e0ap-56},
    {0x1.e89095bad6025p-1, -0x1.5a4cc0fcbccap-55},
    {0x1.e9084361df7f2p-1, 0x1.cdfc7ce9dc3e9p-55},
    {0x1.e97ec36016b3p-1, 0x1.5bc48562557d3p-55},
    {0x1.e9f4156c62ddap-1, 0x1.760b1e2e3f81ep-55},
    {0x1.ea68393e658p-1, -0x1.467259bb7b556p-56},
    {0x1.eadb2e8e7a88ep-1, -0x1.92ec52ea226a3p-55},
    {0x1.eb4cf515b8811p-1, 0x1.95da1ba97ec5ep-57},
    {0x1.ebbd8c8df0b74p-1, 0x1.c6c8c615e7277p-56},
    {0x1.ec2cf4b1af6b2p-1, 0x1.34ee3f2caa62dp-59},
    {0x1.ec9b2d3c3bf84p-1, 0x1.19119d358de05p-56},
    {0x1.ed0835e999009p-1, 0x1.499d188aa32fap-57},
    {0x1.ed740e7684963p-1, 0x1.e82c791f59cc2p-56},
    {0x1.eddeb6a078651p-1, -0x1.3b579af740a74p-55},
    {0x1.ee482e25a9dbcp-1, -0x1.b6066ef81af2ap-56},
    {0x1.eeb074c50a544p-1, 0x1.d925f656c43b4p-55},
    {0x1.ef178a3e473c2p-1, 0x1.6310a67fe774fp-55},
    {0x1.ef7d6e51ca3cp-1, -0x1.a3c67c3d3f604p-55},
    {0x1.efe220c0b95ecp-1, 0x1.c853b7bf7e0cdp-55},
    {0x1.f045a14cf738cp-1, -0x1.a52c44f45216cp-55},
    {0x1.f0a7efb9230d7p-1, 0x1.52c7adc6b4989p-56},
    {0x1.f1090bc898f5fp-1, -0x1.baa64ab102a93p-55},
    {0x1.f168f53f7205dp-1, -0x1.26a6c1f015601p-57},
    {0x1.f1c7abe284708p-1, 0x1.504b80c8a63fcp-55},
    {0x1.f2252f7763adap-1, -0x1.20cb81c8d94abp-55},
    {0x1.f2817fc4609cep-1, -0x1.dd1f8eaf65689p-55},
    {0x1.f2dc9c9089a9dp-1, 0x1.5407460bdfc07p-59},
    {0x1.f33685a3aaefp-1, 0x1.eb78685d850f8p-56},
    {0x1.f38f3ac64e589p-1, -0x1.d7bafb51f72e6p-56},
    {0x1.f3e6bbc1bbc65p-1, 0x1.5774bb7e8a21ep-57},
    {0x1.f43d085ff92ddp-1, -0x1.8fde71e361c05p-55},
    {0x1.f492206bcabb4p-1, 0x1.d1e921bbe3bd3p-55},
    {0x1.f4e603b0b2f2dp-1, -0x1.8ee01e695ac05p-56},
    {0x1.f538b1faf2d07p-1, -0x1.5f7cd5099519cp-59},
    {0x1.f58a2b1789e84p-1, 0x1.1f4a188aa368p-56},
    {0x1.f5da6ed43685dp-1, -0x1.536fc33bf9dd8p-55},
    {0x1.f6297cff75cbp-1, 0x1.562172a361fd3p-56},
    {0x1.f677556883ceep-1, 0x1.ef696a8d070f4p-57},
    {0x1.f6c3f7df5bbb7p-1, 0x1.8561ce9d5ef5bp-56},
    {0x1.f70f6434b7eb7p-1, 0x1.1775df66f0ec4p-56},
    {0x1.f7599a3a12077p-1, 0x1.84f31d743195cp-55},
    {0x1.f7a299c1a322ap-1, 0x1.6e7190c94899ep-56},
    {0x1.f7ea629e63d6ep-1, 0x1.ba92d57ebfeddp-55},
    {0x1.f830f4a40c60cp-1, 0x1.8528676925128p-57},
    {0x1.f8764fa714ba9p-1, 0x1.ab256778ffcb6p-56},
    {0x1.f8ba737cb4b78p-1, -0x1.da71f96d5a49cp-55},
    {0x1.f8fd5ffae41dbp-1, -0x1.8cfd77fd970d2p-56},
    {0x1.f93f14f85ac08p-1, -0x1.cfd153e9a9c1ap-55},
    {0x1.f97f924c9099bp-1, -0x1.e2ae0eea5963bp-55},
    {0x1.f9bed7cfbde29p-1, -0x1.b35b1f9bcf70bp-56},
    {0x1.f9fce55adb2c8p-1, 0x1.f2a06fab9f9d1p-56},
    {0x1.fa39bac7a1791p-1, -0x1.94f388f1b4e1ep-57},
    {0x1.fa7557f08a517p-1, -0x1.7a0a8ca13571fp-55},
    {0x1.faafbcb0cfddcp-1, -0x1.e349cb4d3e866p-55},
    {0x1.fae8e8e46cfbbp-1, -0x1.3a9e414732d97p-56},
    {0x1.fb20dc681d54dp-1, -0x1.ff148ec7c5fafp-55},
    {0x1.fb5797195d741p-1, 0x1.1bfac7397cc08p-56},
    {0x1.fb8d18d66adb7p-1, -0x1.d0b66224cce2ep-56},
    {0x1.fbc1617e44186p-1, -0x1.58ec496dc4ecbp-59},
    {0x1.fbf470f0a8d88p-1, -0x1.6bb200d1d70b7p-55},
    {0x1.fc26470e19fd3p-1, 0x1.1ec8668ecaceep-55},
    {0x1.fc56e3b7d9af6p-1, -0x1.03ff7a673d3bdp-56},
    {0x1.fc8646cfeb721p-1, 0x1.3143dc43a9b9dp-55},
    {0x1.fcb4703914354p-1, 0x1.126aa7d51b25cp-55},
    {0x1.fce15fd6da67bp-1, -0x1.5dd6f830d4c09p-56},
    {0x1.fd0d158d86087p-1, 0x1.9705a7b864883p-55},
    {0x1.fd37914220b84p-1, 0x1.52e9d7b772791p-55},
    {0x1.fd60d2da75c9ep-1, 0x1.36dedb314f0ebp-58},
    {0x1.fd88da3d12526p-1, -0x1.87df6378811c7p-55},
    {0x1.fdafa7514538cp-1, 0x1.d97c45ca4d398p-59},
    {0x1.fdd539ff1f456p-1, -0x1.ab13cbbec1781p-56},
    {0x1.fdf9922f73307p-1, 0x1.a5e0abd3a9b65p-56},
    {0x1.fe1cafcbd5b09p-1, 0x1.a23e3202a884ep-57},
    {0x1.fe3e92be9d886p-1, 0x1.afeb2e264d46bp-57},
    {0x1.fe5f3af2e394p-1, 0x1.b213f18c9cf17p-55},
    {0x1.fe7ea85482d6p-1, 0x1.34b085c1828f7p-56},
    {0x1.fe9cdad01883ap-1, 0x1.521ecd0c67e35p-57},
    {0x1.feb9d2530410fp-1, 0x1.9d429eeda9bb9p-58},
    {0x1.fed58ecb673c4p-1, -0x1.e6e462a7ae686p-56},
    {0x1.fef0102826191p-1, 0x1.3c3ea4f30addap-56},
    {0x1.ff095658e71adp-1, 0x1.01a8ce18a4b9ep-55},
    {0x1.ff21614e131edp-1, -0x1.de692a167353p-55},
    {0x1.ff3830f8d575cp-1, -0x1.95e1e79d335f7p-56},
    {0x1.ff4dc54b1bed3p-1, -0x1.c1169ccd1e92ep-55},
    {0x1.ff621e3796d7ep-1, -0x1.c57bc2e24aa15p-57},
    {0x1.ff753bb1b9164p-1, -0x1.7c330129f56efp-56},
    {0x1.ff871dadb81dfp-1, 0x1.8b1c676208aa4p-56},
    {0x1.ff97c4208c014p-1, 0x1.52ab2b947e843p-57},
    {0x1.ffa72effef75dp-1, -0x1.8b4cdcdb25956p-55},
    {0x1.ffb55e425fdaep-1, 0x1.6da7ec781c225p-55},
    {0x1.ffc251df1d3f8p-1, 0x1.7a7d209f32d43p-56},
    {0x1.ffce09ce2a679p-1, -0x1.7bd62ab5ee228p-55},
    {0x1.ffd886084cd0dp-1, -0x1.1354d4556e4cbp-55},
    {0x1.ffe1c6870cb77p-1, 0x1.89aa14768323ep-55},
    {0x1.ffe9cb44b51a1p-1, 0x1.5b43366df667p-56},
    {0x1.fff0943c53bd1p-1, -0x1.47399f361d158p-55},
    {0x1.fff62169b92dbp-1, 0x1.5dda3c81fbd0dp-55},
    {0x1.fffa72c978c4fp-1, -0x1.22cb000328f91p-55},
    {0x1.fffd8858e8a92p-1, 0x1.359c71883bcf7p-55},
    {0x1.ffff621621d02p-1, -0x1.6acfcebc82813p-56},
    {0x1p+0, 0x0p+0},
};

// Taylor coefficients of (sin r - r) / r^3 and (cos r - 1 + r^2/2) / r^4 in
// r^2; with |r| <= 2^-9.3 the first omitted terms are below 2^-55 of the
// terms kept.
constexpr double kSin1 = -0x1.5555555555555p-3;
constexpr double kSin2 = 0x1.1111111111111p-7;
constexpr double kSin3 = -0x1.a01a01a01a01ap-13;
constexpr double kCos2 = 0x1.5555555555555p-5;
constexpr double kCos3 = -0x1.6c16c16c16c17p-10;
constexpr double kCos4 = 0x1.a01a01a01a01ap-16;

// Adding and subtracting 1.5 * 2^52 rounds a double below 2^51 to an integer.
constexpr double kShifter = 0x1.8p52;

// Error bound factors: of the terms carried in plain double, of the result,
// and absolute (reduction).
constexpr double kErrTail = 0x1p-48;
constexpr double kErrRel = 0x1p-98;
constexpr double kErrAbs = 0x1p-126;

// The table index of the quarter turn, and N mod the full turn.
constexpr std::uint32_t kQuarter = 512;
constexpr std::uint32_t kTurnMask = 4 * kQuarter - 1;

// The fields of a double.
constexpr std::uint64_t kMantissaMask = (std::uint64_t{1} << 52) - 1;
constexpr std::uint64_t kExponentMask = std::uint64_t{0x7ff} << 52;

// x = N pi/1024 + (hi + lo), with n = N mod 2048.
struct Reduced {
  double hi;
  double lo;
  std::uint32_t n;
};

// 64 bits of the little-endian 32-bit-limb number z[0..9] from bit 'pos' up.
std::uint64_t bitsAt(const std::uint32_t (&z)[10], int pos) {
  const auto limb = [&z](int i) -> std::uint64_t { return i < 10 ? z[i] : 0; };
  const int first = pos / 32;
  const int shift = pos % 32;
  const std::uint64_t low = limb(first) | (limb(first + 1) << 32);
  return shift == 0 ? low : (low >> shift) | (limb(first + 2) << (64 - shift));
}

// Payne-Hanek reduction for 2^20 <= |x| < inf. With x = m 2^e (m an integer
// below 2^53), x 1024/pi = m 2^(e+10) / pi: the words of 1/pi that only add
// multiples of 2048 are skipped, the next eight multiply m exactly, and the
// 320-bit product holds N mod 2048 and 192 bits of the fraction; the words
// left out change the fraction by less than 2^-161.
Reduced reduceHuge(double x) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
  const int e = static_cast<int>((bits >> 52) & 0x7ff) - 1075;
  const std::uint64_t m = (bits & kMantissaMask) | (kMantissaMask + 1);
  const int first = e > 0 ? (e - 1) / 32 : 0;
  const int s = e + 10 - 32 * (first + 1); // in [-54, 10]
  std::uint32_t z[10] = {};
  const auto ml = static_cast<std::uint32_t>(m);
  const auto mh = static_cast<std::uint32_t>(m >> 32);
  std::uint64_t carry = 0;
  for (int k = 0; k < 8; ++k) {
    const std::uint64_t t = std::uint64_t{kInvPiWords[first + 7 - k]} * ml + carry;
    z[k] = static_cast<std::uint32_t>(t);
    carry = t >> 32;
  }
  z[8] = static_cast<std::uint32_t>(carry);
  carry = 0;
  for (int k = 0; k < 8; ++k) {
    const std::uint64_t t = std::uint64_t{kInvPiWords[first + 7 - k]} * mh + z[k + 1] + carry;
    z[k + 1] = static_cast<std::uint32_t>(t);
    carry = t >> 32;
  }
  z[9] = static_cast<std::uint32_t>(carry);
  // The product is |x| 1024/pi times 2^(224 - s): the units bit is bit p.
  const int p = 224 - s;
  auto n = static_cast<std::uint32_t>(bitsAt(z, p));
  std::uint64_t f0 = bitsAt(z, p - 64);
  std::uint64_t f1 = bitsAt(z, p - 128);
  std::uint64_t f2 = bitsAt(z, p - 192);
  bool negative = false;
  if ((f0 >> 63) != 0) {
    // A fraction of one half or more: N rounds up, the fraction becomes f - 1.
    ++n;
    negative = true;
    f0 = ~f0;
    f1 = ~f1;
    f2 = ~f2 + 1;
    if (f2 == 0) {
      ++f1;
      if (f1 == 0) {
        ++f0;
      }
    }
  }
  if (x < 0) {
    n = 0U - n;
    negative = !negative;
  }
  n &= kTurnMask;
  int shift = 0;
  for (int w = 0; w < 2 && f0 == 0; ++w) {
    f0 = f1;
    f1 = f2;
    f2 = 0;
    shift += 64;
  }
  if (f0 == 0) {
    return {0.0, 0.0, n};
  }
  const int lead = std::countl_zero(f0);
  if (lead > 0) {
    f0 = (f0 << lead) | (f1 >> (64 - lead));
    f1 = (f1 << lead) | (f2 >> (64 - lead));
  }
  shift += lead;
  // The fraction is 0.f0 f1 times 2^-shift: its top 53 bits and the next 53.
  const double scale = std::bit_cast<double>(static_cast<std::uint64_t>(1023 - 53 - shift) << 52);
  const double fh = static_cast<double>(f0 >> 11) * scale;
  const double fl = static_cast<double>(((f0 & 0x7ff) << 42) | (f1 >> 22)) * (scale * 0x1p-53);
  DoubleDouble r = twoProduct(fh, kDeltaHi);
  r = fastTwoSum(r.hi, r.lo + (fh * kDeltaLo + fl * kDeltaHi));
  if (negative) {
    r = {-r.hi, -r.lo};
  }
  return {r.hi, r.lo, n};
}

// The reduction of a finite x.
template <bool UseFma> [[gnu::always_inline]] inline Reduced reduce(double x) {
  const double ax = std::fabs(x);
  if (ax < 48.0) {
    // |N| < 2^14: N kDelta1 and N kDelta2 are exact, and so is x - N kDelta1.
    const double nd = (x * kInvDelta + kShifter) - kShifter;
    const double r1 = x - nd * kDelta1;
    const DoubleDouble r2 = twoSum(r1, -(nd * kDelta2));
    const DoubleDouble r = twoSum(r2.hi, r2.lo - nd * kDelta3);
    return {r.hi, r.lo, static_cast<std::uint32_t>(static_cast<std::int32_t>(nd)) & kTurnMask};
  }
  if (ax < 0x1p20) {
    // |N| < 2^29: N kDeltaB1 and N kDeltaB2 are exact, N kDeltaB3 exact as a
    // double-double.
    const double nd = (x * kInvDelta + kShifter) - kShifter;
    const double r1 = x - nd * kDeltaB1;
    const DoubleDouble r2 = twoSum(r1, -(nd * kDeltaB2));
    const DoubleDouble p = exactProduct<UseFma>(nd, kDeltaB3);
    const DoubleDouble u = twoSum(r2.hi, -p.hi);
    const DoubleDouble r = twoSum(u.hi, ((r2.lo - p.lo) + u.lo) - nd * kDeltaB4);
    return {r.hi, r.lo, static_cast<std::uint32_t>(static_cast<std::int32_t>(nd)) & kTurnMask};
  }
  return reduceHuge(x);
}

// sin r - r and cos r - 1 of a reduced argument, in plain double.
struct Expansion {
  double rh;
  double rl;
  double sinTail; // sin r - r
  double cosTail; // cos r - 1
};

[[gnu::always_inline]] inline Expansion expand(const Reduced &r) {
  const double z = r.hi * r.hi;
  const double ps = kSin1 + z * (kSin2 + z * kSin3);
  const double sinTail = (r.hi * z) * ps - (0.5 * z) * r.lo;
  const double pc = (z * z) * (kCos2 + z * (kCos3 + z * kCos4));
  const double cosTail = (pc - r.hi * r.lo) - 0.5 * z;
  return {r.hi, r.lo, sinTail, cosTail};
}

struct Value {
  double hi;
  double lo;
  double err;
};

// A cos r + B sin r with its error bound.
template <bool UseFma>
[[gnu::always_inline]] inline Value combine(const DoubleDouble &a, const DoubleDouble &b,
                                            const Expansion &e) {
  const DoubleDouble br = exactProduct<UseFma>(b.hi, e.rh);
  const double brl = br.lo + (b.hi * e.rl + b.lo * e.rh);
  const double ac = a.hi * e.cosTail;
  const double bs = b.hi * e.sinTail;
  const DoubleDouble s = twoSum(a.hi, br.hi);
  const double lo = (ac + bs) + ((a.lo + brl) + s.lo);
  const DoubleDouble v = fastTwoSum(s.hi, lo);
  const double err =
      kErrTail * (std::fabs(ac) + std::fabs(bs)) + kErrRel * std::fabs(v.hi) + kErrAbs;
  return {v.hi, v.lo, err};
}

DoubleDouble negate(const DoubleDouble &a) { return {-a.hi, -a.lo}; }

constexpr double kSigns[2] = {1.0, -1.0};

[[gnu::always_inline]] inline DoubleDouble scaled(const DoubleDouble &a, double sign) {
  return {a.hi * sign, a.lo * sign};
}

// The factors of cos r and sin r for sin x (for cos x: n + kQuarter): in
// quadrant q, sin x is sin t, cos t, -sin t, -cos t for q = 0, 1, 2, 3.
// Selected without branches, which random arguments would mispredict.
[[gnu::always_inline]] inline void sinFactors(std::uint32_t n, DoubleDouble &a, DoubleDouble &b) {
  const std::uint32_t j = n & (kQuarter - 1);
  const std::uint32_t odd = (n / kQuarter) & 1;
  const std::uint32_t half = (n / (2 * kQuarter)) & 1;
  const std::uint32_t ja = j + ((kQuarter - 2 * j) & (0U - odd)); // j or kQuarter - j
  a = scaled(kSinTable[ja], kSigns[half]);
  b = scaled(kSinTable[kQuarter - ja], kSigns[half ^ odd]);
}

[[gnu::always_inline]] inline bool isFinite(double x) {
  return (std::bit_cast<std::uint64_t>(x) & kExponentMask) != kExponentMask;
}

// sin x (offset 0) or cos x (offset kQuarter) for finite |x| >= 2^-27.
template <bool UseFma>
[[gnu::always_inline]] inline double sinOrCos(double x, std::uint32_t offset, detail::Slow slow) {
  const Reduced r = reduce<UseFma>(x);
  DoubleDouble a;
  DoubleDouble b;
  sinFactors(r.n + offset, a, b);
  const Value v = combine<UseFma>(a, b, expand(r));
  double out = 0.0;
  if (detail::roundsTo(v.hi, v.lo, v.err, out)) {
    return out;
  }
  return detail::correctlyRounded(slow, x);
}

// tan x from the expansion of its reduced argument: with t = j pi/1024 + r,
// tan x is tan t in even quadrants and -cot t = -tan((512 - j) pi/1024 - r)
// in odd ones, so with ja = j or 512 - j and r signed accordingly it is the
// quotient of sin and cos of ja pi/1024 + r, which share their factors. The
// relative errors of numerator and denominator add up.
template <bool UseFma>
[[gnu::always_inline]] inline Value tangent(const Expansion &e, std::uint32_t n) {
  const std::uint32_t j = n & (kQuarter - 1);
  const std::uint32_t odd = (n / kQuarter) & 1;
  const std::uint32_t ja = j + ((kQuarter - 2 * j) & (0U - odd));
  const double sign = kSigns[odd];
  const DoubleDouble &sa = kSinTable[ja];
  const DoubleDouble &ca = kSinTable[kQuarter - ja];
  const Value num = combine<UseFma>(sa, scaled(ca, sign), e);
  const Value den = combine<UseFma>(ca, scaled(sa, -sign), e);
  const double inv = 1.0 / den.hi;
  const double qh = num.hi * inv;
  // The remainder num.hi - qh den.hi is exact; its quotient needs little
  // precision.
  const DoubleDouble p = exactProduct<UseFma>(qh, den.hi);
  const double ql = ((((num.hi - p.hi) - p.lo) + num.lo) - qh * den.lo) * inv;
  const DoubleDouble q = fastTwoSum(qh * sign, ql * sign);
  const double err =
      (num.err + std::fabs(qh) * den.err) * std::fabs(inv) * 1.001 + kErrRel * std::fabs(qh);
  return {q.hi, q.lo, err};
}

template <bool UseFma> [[gnu::always_inline]] inline double sinImpl(double x) {
  if (std::fabs(x) < 0x1p-26) {
    // |sin x - x| < |x|^3/6 is below half an ulp of x.
    return x;
  }
  if (!isFinite(x)) {
    return x - x;
  }
  return sinOrCos<UseFma>(x, 0, detail::Slow::Sin);
}

template <bool UseFma> [[gnu::always_inline]] inline double cosImpl(double x) {
  if (std::fabs(x) < 0x1p-27) {
    // 1 - x^2/2 lies above the midpoint 1 - 2^-54.
    return 1.0;
  }
  if (!isFinite(x)) {
    return x - x;
  }
  return sinOrCos<UseFma>(x, kQuarter, detail::Slow::Cos);
}

template <bool UseFma>
[[gnu::always_inline]] inline void sincosImpl(double x, double &s, double &c) {
  if (std::fabs(x) < 0x1p-27 || !isFinite(x)) {
    s = sinImpl<UseFma>(x);
    c = cosImpl<UseFma>(x);
    return;
  }
  const Reduced r = reduce<UseFma>(x);
  const Expansion e = expand(r);
  DoubleDouble a;
  DoubleDouble b;
  sinFactors(r.n, a, b);
  // cos x = A' cos r + B' sin r with A' = B and B' = -A.
  const Value vs = combine<UseFma>(a, b, e);
  const Value vc = combine<UseFma>(b, negate(a), e);
  if (!detail::roundsTo(vs.hi, vs.lo, vs.err, s)) {
    s = detail::correctlyRounded(detail::Slow::Sin, x);
  }
  if (!detail::roundsTo(vc.hi, vc.lo, vc.err, c)) {
    c = detail::correctlyRounded(detail::Slow::Cos, x);
  }
}

template <bool UseFma> [[gnu::always_inline]] inline double tanImpl(double x) {
  if (std::fabs(x) < 0x1p-27) {
    // |tan x - x| < |x|^3/3 is below half an ulp of x.
    return x;
  }
  if (!isFinite(x)) {
    return x - x;
  }
  const Reduced r = reduce<UseFma>(x);
  const Value v = tangent<UseFma>(expand(r), r.n);
  double out = 0.0;
  if (detail::roundsTo(v.hi, v.lo, v.err, out)) {
    return out;
  }
  return detail::correctlyRounded(detail::Slow::Tan, x);
}

#ifdef ORRERY_FMA_COPIES
[[gnu::target("fma")]] double sinFma(double x) { return sinImpl<true>(x); }
[[gnu::target("fma")]] double cosFma(double x) { return cosImpl<true>(x); }
[[gnu::target("fma")]] void sincosFma(double x, double &s, double &c) { sincosImpl<true>(x, s, c); }
[[gnu::target("fma")]] double tanFma(double x) { return tanImpl<true>(x); }
#else
double sinFma(double x) { return sinImpl<false>(x); }
double cosFma(double x) { return cosImpl<false>(x); }
void sincosFma(double x, double &s, double &c) { sincosImpl<false>(x, s, c); }
double tanFma(double x) { return tanImpl<false>(x); }
#endif

} // namespace

double sin(double x) { return kProcessorHasFma ? sinFma(x) : sinImpl<false>(x); }
double cos(double x) { return kProcessorHasFma ? cosFma(x) : cosImpl<false>(x); }
void sincos(double x, double &s, double &c) {
  kProcessorHasFma ? sincosFma(x, s, c) : sincosImpl<false>(x, s, c);
}
double tan(double x) { return kProcessorHasFma ? tanFma(x) : tanImpl<false>(x); }

// The float twins round the correctly rounded double result once more, which
// is exact except at a float midpoint.
float sin(float x) {
  float r;
  return detail::floatFromRoundedDouble(sin(static_cast<double>(x)), r)
             ? r
             : detail::correctlyRounded(detail::Slow::Sin, x);
}

float cos(float x) {
  float r;
  return detail::floatFromRoundedDouble(cos(static_cast<double>(x)), r)
             ? r
             : detail::correctlyRounded(detail::Slow::Cos, x);
}

} // namespace orrery::elementary
