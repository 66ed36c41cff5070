# Every endpoint of the vendor is a build setting. The defaults are the
# production values; the test presets point each one at loopback.
set(ORVANE_API_HOST "api.orvane.cn" CACHE STRING "API gateway host name")
set(ORVANE_API_IP "203.0.113.80" CACHE STRING "API gateway fixed IPv4 address")
set(ORVANE_CDN_HOST "cdn.orvane.cn" CACHE STRING "package CDN host name")
set(ORVANE_PACKAGE_ID "10284" CACHE STRING "package id on the CDN")
set(ORVANE_SUPPORT_HOST "support.orvane.cn" CACHE STRING "support host, first reachability endpoint")
set(ORVANE_ANALYTICS_HOST "sa.orvane.cn" CACHE STRING "analytics host of the SDK")
set(ORVANE_CONVERSION_HOST "conv.orvane.cn" CACHE STRING "ad-conversion service host")
set(ORVANE_WELCOME_URL "https://www.orvane.cn/kestrelvault/welcome" CACHE STRING "default welcome page")
set(ORVANE_AGREEMENT_URL "https://www.orvane.cn/kestrelvault/agreement" CACHE STRING "user agreement page")
set(ORVANE_PUBLIC_DNS "223.5.5.5;223.6.6.6;119.29.29.29;182.254.116.116;114.114.114.114;114.114.115.115"
    CACHE STRING "the six public DNS resolvers, semicolon-separated")
# The attribution module KMUID.dll is not ours and sits in a folder the user
# can write to: only a file with one of these SHA-256 digests is loaded.
set(ORVANE_KMUID_SHA256 "" CACHE STRING
    "SHA-256 digests (hex, comma-separated) of the KMUID.dll builds that may be loaded; empty: none")
if(NOT ORVANE_KMUID_SHA256 MATCHES "^([0-9a-fA-F]{64}(,[0-9a-fA-F]{64})*)?$")
  message(FATAL_ERROR "ORVANE_KMUID_SHA256 must be SHA-256 digests in hex, comma-separated")
endif()

list(LENGTH ORVANE_PUBLIC_DNS _dns_count)
if(NOT _dns_count EQUAL 6)
  message(FATAL_ERROR "ORVANE_PUBLIC_DNS must list six resolvers, got ${_dns_count}")
endif()
set(ORVANE_PUBLIC_DNS_INIT "")
foreach(_dns IN LISTS ORVANE_PUBLIC_DNS)
  string(APPEND ORVANE_PUBLIC_DNS_INIT "\"${_dns}\", ")
endforeach()

set(ORVANE_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/BuildConfig.h.in ${ORVANE_GENERATED_DIR}/BuildConfig.h @ONLY)
