/* The map page's texts: HTML escaping, positions, distances, times and proposed names.
   Every page script is ECMAScript 5 for the system browser control (an IE11-class engine). */

var c_szNewPlaceName = "新行程";
var c_szZero = "0.00000";
var c_szMinusZero = "-0.00000";
var c_szBlue = "#0000ff";
var c_szRed = "#ff0000";
var c_szCoordSep = ", ";

function EscHtml(sz)
{
	return String(sz).replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;")
		.replace(/"/g, "&quot;").replace(/'/g, "&#39;");
}

function Trim(sz)
{
	return String(sz).replace(/^\s+|\s+$/g, "");
}

/* Five decimals, "-0.00000" read as "0.00000". */
function Fmt5(f)
{
	var sz = Number(f).toFixed(5);
	return sz == c_szMinusZero ? c_szZero : sz;
}

function SamePos(fLat1, fLng1, fLat2, fLng2)
{
	return Fmt5(fLat1) == Fmt5(fLat2) && Fmt5(fLng1) == Fmt5(fLng2);
}

/* Degrees, minutes, seconds and hundredths, rounded the way the program rounds them. */
function FormatDms(f)
{
	var szSign = "";
	if (f < 0)
	{
		szSign = "-";
		f = -f;
	}
	var c = Math.floor(f * 100000 + 0.5) / 100000 + 1.388888888888889e-6;
	var iDeg = Math.floor(c);
	c = (c - iDeg) * 60;
	var iMin = Math.floor(c);
	c = (c - iMin) * 60;
	var iSec = Math.floor(c);
	var iHund = Math.floor((c - iSec) * 100);
	return szSign + iDeg + "\u00b0 " + Pad2(iMin) + "' " + Pad2(iSec) + "." + Pad2(iHund) + "\"";
}

function Pad2(i)
{
	return (i < 10 ? "0" : "") + i;
}

/* A coordinate as the table shows it: decimal or DMS by bDms, then the compass letter. */
function FormatCoord(f, bLng, bDms, bCompass)
{
	var sz = bDms ? FormatDms(f) : Fmt5(f);
	if (bCompass)
	{
		if (sz.charAt(0) == "-")
			sz = (bLng ? "W " : "S ") + sz.substring(1);
		else
			sz = (bLng ? "E " : "N ") + sz;
	}
	return sz;
}

function OneDecimal(f)
{
	var sz = (Math.round(f * 10) / 10).toFixed(1);
	return sz.charAt(sz.length - 1) == "0" ? sz.substring(0, sz.length - 2) : sz;
}

function MetricText(iMetres, bLong)
{
	if (iMetres < 1000)
		return iMetres + (bLong ? " 公尺" : " m");
	var fKm = iMetres / 1000;
	return (fKm < 100 ? OneDecimal(fKm) : String(Math.round(fKm))) + (bLong ? " 公里" : " km");
}

function ImperialText(iMetres, bLong)
{
	var iFeet = Math.round(iMetres * 3.28084);
	if (iFeet < 528)
		return iFeet + (bLong ? " 英呎" : " ft");
	var fMiles = iFeet / 5280;
	return (fMiles < 100 ? OneDecimal(fMiles) : String(Math.round(fMiles))) + (bLong ? " 英里" : " mi");
}

/* Short form: the current system only. Long form: both, the current one first. */
function DistanceText(fMetres, bMetric, bLong)
{
	var iMetres = Math.round(fMetres);
	var szMetric = MetricText(iMetres, bLong);
	var szImperial = ImperialText(iMetres, bLong);
	if (!bLong)
		return bMetric ? szMetric : szImperial;
	return bMetric ? szMetric + " / " + szImperial : szImperial + " / " + szMetric;
}

function TimeText(fSeconds, bLong)
{
	var iSec = Math.round(fSeconds);
	if (iSec < 60)
		return iSec + (bLong ? " 秒" : " s");
	var iMin = Math.round(iSec / 60);
	var szMin = bLong ? " 分鐘" : " m";
	if (iMin < 60)
		return iMin + szMin;
	var szHour = bLong ? " 小時" : " h";
	if (iMin >= 6000)
		return Math.round(iMin / 60) + szHour;
	var iRest = iMin % 60;
	return Math.floor(iMin / 60) + szHour + (iRest ? " " + iRest + szMin : "");
}

/* "新行程", a space, then month/day AM|PM h:mm:ss of the local time. */
function NewPlaceName(jDate)
{
	var iHour = jDate.getHours();
	var sz12 = iHour % 12 == 0 ? 12 : iHour % 12;
	return c_szNewPlaceName + " " + (jDate.getMonth() + 1) + "/" + jDate.getDate() + " " +
		(iHour < 12 ? "AM" : "PM") + " " + sz12 + ":" + Pad2(jDate.getMinutes()) + ":" + Pad2(jDate.getSeconds());
}

/* The address part of a proposed name, from the looked-up address. */
function AddressForName(szAddress)
{
	var sz = Trim(String(szAddress).replace(/[>|]/g, ""));
	if (sz == "台灣" || sz == "Taiwan" || sz.indexOf("No. ") == 0)
		return sz;
	var i = sz.indexOf("台灣");
	if (i >= 0)
		return Trim(sz.substring(i + 2));
	i = sz.lastIndexOf(", Taiwan");
	if (i >= 0)
		return Trim(sz.substring(0, i));
	return sz;
}

/* The name cut before its last "@", then "@" and the address when there is one. */
function ProposedName(szName, szAddress)
{
	var szPart = AddressForName(szAddress);
	var i = szName.lastIndexOf("@");
	var sz = Trim(i >= 0 ? szName.substring(0, i) : szName);
	if (szPart != "" || sz == "")
		sz += "@" + szPart;
	return sz;
}

/* An address from a reverse lookup's parts, in the order the language's users write it. */
function ComposeAddress(jParts, szDisplayName, szLang)
{
	function Part(szKey)
	{
		var sz = jParts && jParts[szKey] !== undefined && jParts[szKey] !== null ? Trim(jParts[szKey]) : "";
		return sz;
	}
	function First(aKeys)
	{
		for (var i = 0; i < aKeys.length; i++)
			if (Part(aKeys[i]) != "")
				return Part(aKeys[i]);
		return "";
	}
	function Join(aItems, szSep)
	{
		var aKept = [];
		for (var i = 0; i < aItems.length; i++)
			if (Trim(aItems[i]) != "")
				aKept.push(Trim(aItems[i]));
		return aKept.join(szSep);
	}
	var szHouse = Part("house_number");
	var szRoad = Part("road");
	var szCity = First(["city", "town", "village"]);
	var szCode = Part("postcode");
	var szAddress;
	if (szLang == "zh-TW" || szLang == "zh-CN" || szLang == "ja")
	{
		if (szLang != "ja" && /^[0-9]+$/.test(szHouse))
			szHouse += "號";
		szAddress = Join([Part("state"), Part("county"), szCity,
			First(["city_district", "district", "suburb"]), szRoad, szHouse], "");
	}
	else if (szLang == "fr")
		szAddress = Join([szHouse + " " + szRoad, szCode + " " + szCity, Part("country")], ", ");
	else if (szLang == "de" || szLang == "es")
		szAddress = Join([szRoad + " " + szHouse, szCode + " " + szCity, Part("country")], ", ");
	else
		szAddress = Join([szHouse + " " + szRoad, szCity, Part("state") + " " + szCode, Part("country")], ", ");
	return szAddress != "" ? szAddress : Trim(szDisplayName || "");
}
