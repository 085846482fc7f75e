#pragma once

// Every address of the product in one place: the product web site's host and its pages.

namespace ProductSite {

// The only domain of the list that a first start creates.
inline constexpr char DefaultDomain[] = "www.brenlow.com";

} // namespace ProductSite
