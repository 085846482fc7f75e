#pragma once

// Every address of the product in one place: the product web site, its pages, and the companion product that
// the main window offers.

namespace ProductSite {

// The product web site's host: the only domain of the list that a first start creates.
inline constexpr char DefaultDomain[] = "www.brenlow.com";

inline constexpr char HomePage[] = "http://www.brenlow.com/";
inline constexpr char RequirementsPage[] = "http://www.brenlow.com/requirements.html";
inline constexpr char DownloadsPage[] = "http://www.brenlow.com/downloads.html";
inline constexpr char UpdatesPage[] = "http://www.brenlow.com/updates.html";
inline constexpr char FaqPage[] = "http://www.brenlow.com/faq.html";
// What link popularity means and how Brenlow measures it.
inline constexpr char PopularityPage[] = "http://www.brenlow.com/link-popularity.html";

// The companion product, which finds where a site ranks in the free search engines.
inline constexpr char CompanionName[] = "Rank Finder";
inline constexpr char CompanionPage[] = "http://www.brenlow.com/rankfinder/";
inline constexpr char CompanionDownload[] = "ftp://ftp.brenlow.com/pub/rankfinder/rankfinder-setup.tar.gz";

} // namespace ProductSite
