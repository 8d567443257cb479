/* The layer list, the graticule, the right-click menu and the cookies "Wlm_*". */

var c_aLayerCookies = ["Wlm_McPhotos", "Wlm_McVideos", "Wlm_McWikipedia", "Wlm_McWebcams",
	"Wlm_McStreetView", "Wlm_McGraticule", "Wlm_McRdsTmc", "Wlm_McTraffic", "Wlm_McFwCamera",
	"Wlm_McBicycling", "Wlm_McTransit", "Wlm_McNews", "Wlm_McItnDirects"];
var c_iPhotos = 0, c_iWikipedia = 2, c_iGraticule = 5, c_iBicycling = 9, c_iTransit = 10, c_iRoute = 12;
var c_iCookieMs = 1209600000;

var e_aLayerOn = [];
var e_jCyclingTiles = null;
var e_jTransitTiles = null;
var e_jGraticule = null;
var e_jWikiGroup = null;
var e_jPhotoGroup = null;
var e_jMenuPoint = null;
var e_jMyLocation = null;
var e_jSavedView = null;

/* ---- Cookies ---- */

function CookiesOn()
{
	return !!e_bUseCookie && navigator.cookieEnabled !== false;
}

function ReadCookie(szName)
{
	if (!CookiesOn())
		return "";
	var aParts = document.cookie.split(";");
	for (var i = 0; i < aParts.length; i++)
	{
		var szPart = Trim(aParts[i]);
		if (szPart.indexOf(szName + "=") == 0)
		{
			try { return decodeURIComponent(szPart.substring(szName.length + 1)); } catch (e) { return ""; }
		}
	}
	return "";
}

/* A missing value, or one that is not a number, reads as 0. */
function ReadCookieNumber(szName)
{
	var f = Number(ReadCookie(szName));
	return ReadCookie(szName) == "" || isNaN(f) ? 0 : f;
}

function WriteCookie(szName, vValue)
{
	if (!CookiesOn())
		return;
	var jExpiry = new Date(new Date().getTime() + c_iCookieMs);
	document.cookie = szName + "=" + encodeURIComponent(String(vValue)) + "; expires=" + jExpiry.toUTCString() + "; path=/";
}

/* ---- Layers ---- */

function LayerBox(i)
{
	return document.getElementById("Layer" + i);
}

function InitLayers()
{
	e_jCyclingTiles = L.tileLayer("https://{s}.tile-cyclosm.openstreetmap.fr/cyclosm/{z}/{x}/{y}.png",
		{ subdomains: "abc", maxZoom: 19, opacity: 0.8, attribution: "CyclOSM" });
	e_jTransitTiles = L.tileLayer("https://tile.memomaps.de/tilegen/{z}/{x}/{y}.png",
		{ maxZoom: 18, opacity: 0.7, attribution: "\u00d6PNVKarte" });
	e_jGraticule = L.layerGroup();
	e_jWikiGroup = L.layerGroup();
	e_jPhotoGroup = L.layerGroup();
	e_jMap.on("contextmenu", OnMapMenu);
	e_jMap.on("mousemove", function (e) { if (e_aLayerOn[c_iGraticule]) ShowPosition(e.latlng); });
	for (var i = 0; i < c_aLayerCookies.length; i++)
	{
		var jBox = LayerBox(i);
		e_aLayerOn[i] = false;
		if (jBox && !jBox.disabled && ReadCookieNumber(c_aLayerCookies[i]) != 0)
		{
			jBox.checked = true;
			SetLayer(i, true);
		}
	}
	var iZoom = ReadCookieNumber("Wlm_MyMapZoom");
	var aLoc = ParseLocation(ReadCookie("Wlm_MyLocation"));
	if (aLoc && iZoom)
		ShowMyLocation(aLoc[0], aLoc[1]);
}

/* The check box's onclick. */
function OnLayer(i)
{
	var jBox = LayerBox(i);
	if (!jBox || jBox.disabled)
		return;
	SetLayer(i, jBox.checked);
	WriteCookie(c_aLayerCookies[i], jBox.checked ? 1 : 0);
}

function SetLayer(i, bOn)
{
	e_aLayerOn[i] = bOn;
	var jGroup = i == c_iBicycling ? e_jCyclingTiles : i == c_iTransit ? e_jTransitTiles :
		i == c_iGraticule ? e_jGraticule : i == c_iWikipedia ? e_jWikiGroup : i == c_iPhotos ? e_jPhotoGroup : null;
	if (jGroup)
	{
		if (bOn)
			jGroup.addTo(e_jMap);
		else
			e_jMap.removeLayer(jGroup);
	}
	if (i == c_iRoute)
		SetRouteLayer(bOn);
	if (i == c_iGraticule)
	{
		document.getElementById("GrInfo").style.display = bOn ? "block" : "none";
		RedrawGraticule();
	}
	if ((i == c_iWikipedia || i == c_iPhotos) && bOn)
		AskGeoSearch(i);
	if (!bOn && jGroup && jGroup.clearLayers)
		jGroup.clearLayers();
}

function OnLayersMoved()
{
	RedrawGraticule();
	if (e_aLayerOn[c_iWikipedia])
		AskGeoSearch(c_iWikipedia);
	if (e_aLayerOn[c_iPhotos])
		AskGeoSearch(c_iPhotos);
}

/* Wikipedia articles or Commons photos around the map's centre, as small circles. */
function AskGeoSearch(iLayer)
{
	var jCentre = e_jMap.getCenter();
	var szCoord = encodeURIComponent(jCentre.lat.toFixed(5) + "|" + jCentre.lng.toFixed(5));
	var szUrl = iLayer == c_iWikipedia ?
		"https://" + Setting("e_szWikiLayerId", "zh") + ".wikipedia.org/w/api.php?action=query&list=geosearch&gscoord=" +
			szCoord + "&gsradius=10000&gslimit=50&format=json&origin=*" :
		"https://commons.wikimedia.org/w/api.php?action=query&list=geosearch&gsnamespace=6&gscoord=" +
			szCoord + "&gsradius=10000&gslimit=50&format=json&origin=*";
	var jGroup = iLayer == c_iWikipedia ? e_jWikiGroup : e_jPhotoGroup;
	GetJson(szUrl, function (iStatus, jReply)
	{
		if (!e_aLayerOn[iLayer] || iStatus != 200 || !jReply || !jReply.query || !jReply.query.geosearch)
			return;
		jGroup.clearLayers();
		var aFound = jReply.query.geosearch;
		for (var i = 0; i < aFound.length; i++)
		{
			var szTitle = String(aFound[i].title || "").replace(/^File:/, "");
			L.circleMarker([Number(aFound[i].lat), Number(aFound[i].lon)], { radius: 5, weight: 1,
				color: iLayer == c_iWikipedia ? "#333333" : "#aa00aa", fillOpacity: 0.6, bubblingMouseEvents: false })
				.bindTooltip(EscHtml(szTitle)).addTo(jGroup);
		}
	});
}

/* ---- The graticule ---- */

function GraticuleStep()
{
	var jBounds = e_jMap.getBounds();
	var fSpan = Math.min(jBounds.getEast() - jBounds.getWest(), jBounds.getNorth() - jBounds.getSouth());
	var aSteps = [30, 10, 5, 2, 1, 0.5, 0.2, 0.1, 0.05, 0.02, 0.01, 0.005, 0.002, 0.001, 0.0005, 0.0002, 0.0001];
	for (var i = 0; i < aSteps.length; i++)
		if (fSpan / aSteps[i] >= 3)
			return aSteps[i];
	return aSteps[aSteps.length - 1];
}

function RedrawGraticule()
{
	if (!e_jGraticule || !e_aLayerOn[c_iGraticule])
		return;
	e_jGraticule.clearLayers();
	var jBounds = e_jMap.getBounds();
	var fStep = GraticuleStep();
	var fSouth = Math.max(-85, jBounds.getSouth()), fNorth = Math.min(85, jBounds.getNorth());
	var fWest = jBounds.getWest(), fEast = jBounds.getEast();
	var jStyle = { color: "#404080", weight: 1, opacity: 0.6, interactive: false };
	var f, n;
	for (n = Math.ceil(fWest / fStep); n * fStep <= fEast; n++)
	{
		f = n * fStep;
		L.polyline([[fSouth, f], [fNorth, f]], jStyle).addTo(e_jGraticule);
		GraticuleLabel(fNorth, f, FormatCoord(f, true, e_bDmsFormat, e_bCompassDir), "GrLabelTop");
	}
	for (n = Math.ceil(fSouth / fStep); n * fStep <= fNorth; n++)
	{
		f = n * fStep;
		L.polyline([[f, fWest], [f, fEast]], jStyle).addTo(e_jGraticule);
		GraticuleLabel(f, fWest, FormatCoord(f, false, e_bDmsFormat, e_bCompassDir), "GrLabelLeft");
	}
}

function GraticuleLabel(fLat, fLng, szText, szClass)
{
	L.marker([fLat, fLng], { interactive: false, keyboard: false,
		icon: L.divIcon({ className: "GrLabel " + szClass, html: EscHtml(szText), iconSize: null }) }).addTo(e_jGraticule);
}

/* The graticule's position label follows the mouse, or the marker being dragged. */
function ShowPosition(jLatLng)
{
	var jBox = document.getElementById("GrInfo");
	if (!jBox || !e_aLayerOn[c_iGraticule])
		return;
	var szLat = FormatCoord(jLatLng.lat, false, e_bDmsFormat, e_bCompassDir);
	var szLng = FormatCoord(jLatLng.lng, true, e_bDmsFormat, e_bCompassDir);
	var szText = e_bLngFirst ? szLng + c_szCoordSep + szLat : szLat + c_szCoordSep + szLng;
	if (jBox.textContent !== undefined)
		jBox.textContent = szText;
	else
		jBox.innerText = szText;
}

/* ---- The right-click menu ---- */

function ChangedCount()
{
	var n = 0;
	for (var i = 1; i < e_aMarkers.length; i++)
		if (e_aMarkers[i].changed)
			n++;
	return n;
}

function ParseLocation(sz)
{
	var aParts = String(sz || "").split(",");
	if (aParts.length != 2 || isNaN(Number(aParts[0])) || isNaN(Number(aParts[1])) || Trim(aParts[0]) == "")
		return null;
	return [Number(aParts[0]), Number(aParts[1])];
}

/* Which of the 14 items are enabled now. */
function MenuEnabled()
{
	var iZoom = e_jMap.getZoom();
	var bChanged = ChangedCount() > 0;
	var bStored = CookiesOn() && ParseLocation(ReadCookie("Wlm_MyLocation")) != null;
	return [iZoom < e_jMap.getMaxZoom(), iZoom > 0, true, true, true, MarkerCount() > 0, bChanged, bChanged,
		false, false, false, CookiesOn(), bStored, bStored];
}

function OnMapMenu(e)
{
	var jMenu = document.getElementById("CtxMenu");
	if (!jMenu)
		return;
	e_jMenuPoint = e.latlng;
	var aEnabled = MenuEnabled();
	for (var i = 0; i < aEnabled.length; i++)
	{
		var jItem = document.getElementById("Menu" + i);
		if (jItem)
			jItem.className = aEnabled[i] ? "" : "Disabled";
	}
	jMenu.style.display = "block";
	var jSize = e_jMap.getSize();
	var x = Math.max(0, Math.min(e.containerPoint.x, jSize.x - jMenu.offsetWidth - 2));
	var y = Math.max(0, Math.min(e.containerPoint.y, jSize.y - jMenu.offsetHeight - 2));
	jMenu.style.left = x + "px";
	jMenu.style.top = y + "px";
}

function HideMenu()
{
	var jMenu = document.getElementById("CtxMenu");
	if (jMenu)
		jMenu.style.display = "none";
}

function SaveView()
{
	e_jSavedView = { centre: e_jMap.getCenter(), zoom: e_jMap.getZoom() };
}

function ShowMyLocation(fLat, fLng)
{
	if (!e_jMyLocation)
		e_jMyLocation = L.marker([fLat, fLng], { icon: MakeIcon("Pushpin.png"), keyboard: false,
			title: Setting("e_szMyLocTitle", "") });
	e_jMyLocation.setLatLng([fLat, fLng]).addTo(e_jMap);
}

/* The menu items' onclick; a disabled item does nothing. */
function OnMenu(i)
{
	if (!MenuEnabled()[i] || !e_jMenuPoint)
		return false;
	HideMenu();
	var jPoint = e_jMenuPoint;
	var iZoom = e_jMap.getZoom();
	var iMax = e_jMap.getMaxZoom();
	if (i <= 4)
		SaveView();
	if (i == 0)
		e_jMap.setZoomAround(jPoint, Math.min(iMax, iZoom + 1));
	else if (i == 1)
		e_jMap.setZoomAround(jPoint, Math.max(0, iZoom - 1));
	else if (i == 2)
		e_jMap.setView(jPoint, Math.min(iMax, iZoom + 1));
	else if (i == 3)
		e_jMap.setView(jPoint, Math.max(0, iZoom - 1));
	else if (i == 4)
		e_jMap.panTo(jPoint);
	else if (i == 5)
		FitAllMarkers();
	else if (i == 6)
	{
		CloseInfo();
		Queue("<\t2");
	}
	else if (i == 7)
		UndoAllMarkers();
	else if (i == 11)
	{
		ShowMyLocation(jPoint.lat, jPoint.lng);
		WriteCookie("Wlm_MyLocation", Fmt5(jPoint.lat) + "," + Fmt5(jPoint.lng));
		WriteCookie("Wlm_MyMapZoom", iZoom);
	}
	else if (i == 12)
	{
		var aLoc = ParseLocation(ReadCookie("Wlm_MyLocation"));
		var iStored = ReadCookieNumber("Wlm_MyMapZoom");
		e_jMap.setView(aLoc, Math.max(e_jMap.getMinZoom(), Math.min(iMax, iStored || iZoom)));
	}
	else if (i == 13)
	{
		if (e_jMyLocation)
			e_jMap.removeLayer(e_jMyLocation);
		WriteCookie("Wlm_MyLocation", 0);
	}
	return false;
}

function UndoAllMarkers()
{
	Queue("<\t3");
	for (var i = 1; i < e_aMarkers.length; i++)
	{
		var jRec = e_aMarkers[i];
		if (!jRec.changed)
			continue;
		DropLinesNextTo(jRec);
		jRec.changed = false;
		jRec.sv = null;
		MoveRecord(jRec, jRec.cLat, jRec.cLng);
		if (!jRec.onMap && InView(jRec.lat, jRec.lng))
			ShowOnMap(jRec);
	}
	if (e_jInfoMarker)
		OpenInfo(e_jInfoMarker);
	RefreshImages();
	AskRoutes();
}
