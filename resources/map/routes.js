/* The route line layer ("路線"), the road lock and the address lookup, over XMLHttpRequest
   (the system browser control has no fetch). */

var e_bRouteOn = false;
var e_jRouteAsk = null;   // the one route request in flight
var e_iFlashTimer = 0;
var e_bFlashRed = false;
var e_fLastAddressAsk = 0;

/* GET a JSON reply; fnDone(iStatus, jReply or null). */
function GetJson(szUrl, fnDone)
{
	var jXhr = new XMLHttpRequest();
	jXhr.onreadystatechange = function ()
	{
		if (jXhr.readyState != 4)
			return;
		var jReply = null;
		try { jReply = JSON.parse(jXhr.responseText); } catch (e) {}
		fnDone(jXhr.status, jReply);
	};
	jXhr.open("GET", szUrl, true);
	jXhr.send(null);
}

function RouteUrl(fLat1, fLng1, fLat2, fLng2)
{
	return Setting("e_szRouteHost", "https://router.project-osrm.org") + "/route/v1/driving/" +
		Fmt5(fLng1) + "," + Fmt5(fLat1) + ";" + Fmt5(fLng2) + "," + Fmt5(fLat2) +
		"?overview=full&geometries=geojson";
}

/* Where marker i's route line leads: the next marker, or the new-place marker after the last. */
function NextPosition(i)
{
	if (i < 1 || i >= e_aMarkers.length)
		return null;
	var jNext = i < MarkerCount() ? e_aMarkers[i + 1] : e_aMarkers[0];
	return jNext.isNew && !jNext.onMap ? null : { lat: jNext.lat, lng: jNext.lng };
}

function DropLine(jRec)
{
	if (jRec && jRec.route)
	{
		if (jRec.route.line)
			e_jMap.removeLayer(jRec.route.line);
		jRec.route = null;
	}
}

function DropLinesNextTo(jRec)
{
	var i = IndexOf(jRec);
	if (i == 0)
		DropLine(e_aMarkers[MarkerCount()]);
	else if (i > 0)
	{
		DropLine(jRec);
		if (i > 1)
			DropLine(e_aMarkers[i - 1]);
		if (i == 1 && e_aMarkers[0].onMap)
			DropLine(e_aMarkers[MarkerCount()]);
	}
}

/* After a reorder or removal: lines that no longer end at their next marker go. */
function DropStaleLines()
{
	for (var i = 1; i < e_aMarkers.length; i++)
	{
		var jRec = e_aMarkers[i];
		if (!jRec.route)
			continue;
		var jNext = NextPosition(i);
		if (!jNext || !SamePos(jNext.lat, jNext.lng, jRec.route.endLat, jRec.route.endLng) ||
			!SamePos(jRec.lat, jRec.lng, jRec.route.fromLat, jRec.route.fromLng))
			DropLine(jRec);
	}
}

function RouteStyle(szColour)
{
	return { color: szColour, weight: 7, opacity: 0.3, bubblingMouseEvents: false };
}

/* One request at a time: the first marker without a line or no-route mark is asked for. */
function AskRoutes()
{
	if (!e_bRouteOn || e_jRouteAsk)
		return;
	DropStaleLines();
	for (var i = 1; i < e_aMarkers.length; i++)
	{
		var jRec = e_aMarkers[i];
		var jNext = NextPosition(i);
		if (jRec.route || !jNext)
			continue;
		if (SamePos(jRec.lat, jRec.lng, jNext.lat, jNext.lng))
		{
			jRec.route = { line: null, fromLat: jRec.lat, fromLng: jRec.lng, endLat: jNext.lat, endLng: jNext.lng };
			continue;
		}
		AskRoute(jRec, jNext);
		return;
	}
	UpdateTotals(true);
}

function AskRoute(jRec, jNext)
{
	var jAsk = { rec: jRec, fromLat: jRec.lat, fromLng: jRec.lng, endLat: jNext.lat, endLng: jNext.lng };
	e_jRouteAsk = jAsk;
	GetJson(RouteUrl(jAsk.fromLat, jAsk.fromLng, jAsk.endLat, jAsk.endLng), function (iStatus, jReply)
	{
		if (e_jRouteAsk !== jAsk)
			return;
		if (iStatus == 429)
		{
			setTimeout(function () { if (e_jRouteAsk === jAsk) { e_jRouteAsk = null; AskRoutes(); } }, 250);
			return;
		}
		e_jRouteAsk = null;
		if (!e_jMap)
			return;
		var i = IndexOf(jRec);
		var jNow = NextPosition(i);
		if (e_bRouteOn && i > 0 && !jRec.route && jNow && SamePos(jRec.lat, jRec.lng, jAsk.fromLat, jAsk.fromLng) &&
			SamePos(jNow.lat, jNow.lng, jAsk.endLat, jAsk.endLng))
		{
			jRec.route = { line: null, fromLat: jAsk.fromLat, fromLng: jAsk.fromLng, endLat: jAsk.endLat, endLng: jAsk.endLng };
			var jRoute = RouteOf(iStatus, jReply);
			if (jRoute)
				DrawLine(jRec, jRoute);
			if (e_jInfoMarker === jRec)
				OpenInfo(jRec);
		}
		AskRoutes();
	});
}

/* The reply's first route, or null for no route ("NoRoute", no routes, a failed request). */
function RouteOf(iStatus, jReply)
{
	if (iStatus != 200 || !jReply || jReply.code != "Ok" || !jReply.routes || !jReply.routes.length)
		return null;
	var jRoute = jReply.routes[0];
	if (!jRoute.geometry || !jRoute.geometry.coordinates || jRoute.geometry.coordinates.length < 2)
		return null;
	return jRoute;
}

function DrawLine(jRec, jRoute)
{
	var aPoints = [];
	var aCoords = jRoute.geometry.coordinates;
	for (var i = 0; i < aCoords.length; i++)
		aPoints.push([aCoords[i][1], aCoords[i][0]]);
	var jLine = L.polyline(aPoints, RouteStyle(c_szBlue));
	jLine.on("click", function (e) { OnMapClick(e.latlng, e.originalEvent && e.originalEvent.ctrlKey); });
	jLine.bindTooltip(EscHtml(DistanceText(Number(jRoute.distance) || 0, e_bMetricUnit, false) + ", " +
		TimeText(Number(jRoute.duration) || 0, false)), { sticky: true });
	jLine.addTo(e_jMap);
	jRec.route.line = jLine;
	jRec.route.distance = Number(jRoute.distance) || 0;
	jRec.route.duration = Number(jRoute.duration) || 0;
}

function TotalText()
{
	var fMetres = 0, fSeconds = 0, iLines = 0;
	for (var i = 1; i < e_aMarkers.length; i++)
	{
		var jRoute = e_aMarkers[i].route;
		if (jRoute && jRoute.line)
		{
			fMetres += jRoute.distance;
			fSeconds += jRoute.duration;
			iLines++;
		}
	}
	if (!e_bRouteOn || !iLines)
		return "";
	return DistanceText(fMetres, e_bMetricUnit, true) + ", " + TimeText(fSeconds, true);
}

/* The totals box, highlighted for a moment when it changed. */
function UpdateTotals(bHighlight)
{
	var jBox = document.getElementById("ItnDirInfo");
	if (!jBox)
		return;
	var szText = TotalText();
	var bChanged = jBox.getAttribute("data-total") != szText;
	jBox.setAttribute("data-total", szText);
	jBox.style.display = szText ? "block" : "none";
	if (jBox.textContent !== undefined)
		jBox.textContent = szText;
	else
		jBox.innerText = szText;
	if (bChanged && bHighlight && szText)
	{
		jBox.className = "Highlight";
		setTimeout(function () { jBox.className = ""; }, 400);
	}
}

function SetRouteLayer(bOn)
{
	e_bRouteOn = bOn;
	if (!bOn)
	{
		e_jRouteAsk = null;
		for (var i = 1; i < e_aMarkers.length; i++)
			DropLine(e_aMarkers[i]);
		StopFlash();
		UpdateTotals(false);
	}
	else
	{
		AskRoutes();
		StartFlash();
	}
}

/* The open window's route line alternates between red and blue every second. */
function StartFlash()
{
	if (e_iFlashTimer || !e_bRouteOn || !e_jInfoMarker)
		return;
	e_iFlashTimer = setInterval(function ()
	{
		var jRec = e_jInfoMarker;
		e_bFlashRed = !e_bFlashRed;
		for (var i = 1; i < e_aMarkers.length; i++)
		{
			var jRoute = e_aMarkers[i].route;
			if (jRoute && jRoute.line)
				jRoute.line.setStyle({ color: e_aMarkers[i] === jRec && e_bFlashRed ? c_szRed : c_szBlue });
		}
	}, 1000);
}

function StopFlash()
{
	if (e_iFlashTimer)
		clearInterval(e_iFlashTimer);
	e_iFlashTimer = 0;
	e_bFlashRed = false;
	for (var i = 1; i < e_aMarkers.length; i++)
		if (e_aMarkers[i].route && e_aMarkers[i].route.line)
			e_aMarkers[i].route.line.setStyle({ color: c_szBlue });
}

/* Road lock: a route from the point to itself starts on the nearest road. */
function SnapToRoad(jRec, fnThen)
{
	var fLat = jRec.lat, fLng = jRec.lng;
	GetJson(RouteUrl(fLat, fLng, fLat, fLng), function (iStatus, jReply)
	{
		var jRoute = RouteOf(iStatus, jReply) || (jReply && jReply.routes && jReply.routes[0]);
		var aCoords = jRoute && jRoute.geometry && jRoute.geometry.coordinates;
		if (aCoords && aCoords.length && SamePos(jRec.lat, jRec.lng, fLat, fLng))
		{
			var fLatRoad = Number(aCoords[0][1]), fLngRoad = Number(aCoords[0][0]);
			if (!SamePos(fLatRoad, fLngRoad, fLat, fLng))
				MoveRecord(jRec, fLatRoad, fLngRoad);
		}
		DropLinesNextTo(jRec);
		AskRoutes();
		fnThen();
	});
}

/* The address of a position; "" when the lookup fails. The public host gets at most one
   request a second. */
function LookupAddress(fLat, fLng, fnDone)
{
	var szHost = Setting("e_szAddressHost", "https://nominatim.openstreetmap.org");
	var szUrl = szHost + "/reverse?format=jsonv2&lat=" + Fmt5(fLat) + "&lon=" + Fmt5(fLng) +
		"&zoom=18&addressdetails=1&accept-language=" + encodeURIComponent(Setting("e_szGoogleLang", "zh-TW"));
	var iWait = 0;
	if (szHost.indexOf("nominatim.openstreetmap.org") >= 0)
		iWait = Math.max(0, e_fLastAddressAsk + 1000 - new Date().getTime());
	e_fLastAddressAsk = new Date().getTime() + iWait;
	setTimeout(function ()
	{
		GetJson(szUrl, function (iStatus, jReply)
		{
			if (iStatus != 200 || !jReply || jReply.error)
				fnDone("");
			else
				fnDone(ComposeAddress(jReply.address, jReply.display_name, Setting("e_szGoogleLang", "zh-TW")));
		});
	}, iWait);
}
