#include "app/pages.h"

#include "app/latin1_text.h"
#include "app/page_parts.h"

namespace tallyhouse::app {

namespace {

// The bilingual help page; %version% stands where the version line goes.
constexpr auto kHelpPage = ToLatin1(u8R"page(<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML//EN">
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=iso-8859-1">
<title>Brightloom - TALLYHOUSE [Help/Hilfe]</title>
</head>
<body bgcolor="#FFFFFF">
<div align="center"><center>
)page") + kBannerStart + ToLatin1(u8"Help / Hilfe") + kBannerEnd + ToLatin1(u8R"page(

<p align="center"><font face="Arial">%version%</font></p>

<hr width="550" size="1" color="#4E4E4E">

<p align="center"><font face="Arial"><strong><a href="#english">english</a>
 - 
<a href="#deutsch">deutsch</a></strong></font></p>

<hr width="550" size="1" color="#4E4E4E">

<table border="0" width="550">
  <tr>
    <td>
<p><a name="english"></a><font face="Arial"><strong>English</strong></font></p>

<p><font face="Arial"><small>
Tallyhouse is called with the following parameters:
</small></font></p>

<table border="1" width="550" cellspacing="0" cellpadding="3" bordercolor="#808080">
  <tr>
    <td width="25%" valign="top" bgcolor="#C0C0C0"><font face="Arial"><small><strong>Parameter</strong></small></font></td>
    <td width="25%" valign="top" bgcolor="#C0C0C0"><font face="Arial"><small><strong>Values</strong></small></font></td>
    <td width="50%" valign="top" bgcolor="#C0C0C0"><font face="Arial"><small>
    <strong>Description</strong>
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>command</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>view, add, empty</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    <strong>view</strong>: creates a chart of one poll file (*.pol)<br>
    <strong>add</strong>: adds answers to any number of poll files<br>
    <strong>empty</strong>: this help is displayed
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>backurl<br>(for add)</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>URL</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    any address of an HTML document that is returned to the client after adding the answers
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>xxx.pol<br>(for add)</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>answer</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    any poll file in the program's folder; a missing one is created (only when the file
    tallyhouse.key is not present); every form element named like question1.pol has its
    value saved in that poll file
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>filename<br>(for view)</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>xxx.pol, testenglish, testdeutsch</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    any existing poll file; testenglish and testdeutsch are the built-in English and German
    samples
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>style</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>0, 1, 2, 3</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    type of the chart:<br>
    0 = &quot;bar vertical&quot;<br>
    1 = &quot;bar horizontal&quot;<br>
    2 = &quot;filled lines&quot;<br>
    3 = &quot;pie&quot;
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>color</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>0 to 15, 99</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    colour of the chart from the standard 16-colour palette:<br>
    <font color="#FF0000"><strong>0</strong></font>
    <font color="#008000"><strong>1</strong></font>
    <font color="#FFFF00"><strong>2</strong></font>
    <font color="#0000FF"><strong>3</strong></font>
    <font color="#808080"><strong>5</strong></font>
    <font color="#FF00FF"><strong>6</strong></font>
    <font color="#0080C0"><strong>7</strong></font>
    <font color="#0000A0"><strong>8</strong></font>
    <font color="#800000"><strong>9</strong></font>
    <font color="#00FF00"><strong>10</strong></font>
    <font color="#808000"><strong>11</strong></font>
    <font color="#8000FF"><strong>12</strong></font>
    <font color="#C0C0C0"><strong>13</strong></font>
    <font color="#00FFFF"><strong>14</strong></font>
    <font color="#000000"><strong>15</strong></font>
    (4=white)
    <br>
    99: every part of the chart has another colour
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>height</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>number of pixels</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    height of the chart in pixels
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>width</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>number of pixels</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    width of the chart in pixels
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>border</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>yes or no</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    display a border around the chart
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>backcolor</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>0 to 15</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    background colour of the whole chart
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>chartbacktopcolor</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>0 to 15</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    background colour of the chart (top)
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>chartbackbottomcolor</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>0 to 15</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    background colour of the chart (bottom)
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>legend</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>yes or no</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    display the legend in the right corner
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>legendstyle</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>value or percent</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    legend with values or percents
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>marks</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>yes or no</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    display marks in the chart
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>marksstyle</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>value or percent</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    marks with values or percents
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>number</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>text</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    if not empty, the number of answers is shown above the chart together with this text
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>numbercolor</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>0 to 15</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    colour of the shown number and text
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>3d</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>yes or no</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    display the chart in 3D
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>3dorthogonal</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>yes or no</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    3D orthogonal; needed for the next parameters
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>3drotation</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>270 to 360</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    rotation in degrees
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>3delevation</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>270 to 360</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    elevation in degrees
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>3dzoom</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>0 to 200</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    zoom in percent
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>3ddepth</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>1 to 100</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    depth of the 3D chart
    </small></font></td>
  </tr>
</table>
<p><font face="Arial"><small>
<strong>Security</strong><br>
Any file named tallyhouse.key placed in the program's folder, even an empty
text file, stops the creation of new poll files. Existing poll files still take
answers.
</small></font></p>

<p><font face="Arial"><small>
<strong>Problems creating poll files</strong><br>
Where the web server cannot create poll files in the program's folder, place
an empty text file named like the poll file (for example question3.pol) in the
folder: it serves as a new poll file.
</small></font></p>

<p><font face="Arial"><small>
<strong>Example form</strong><br>
Each answer of this form is saved in the poll file named by its element; then
the browser shows the chart of question1.pol:
</small></font></p>

<form method="GET" action="tallyhouse.cgi">
  <input type="hidden" name="command" value="add">
  <input type="hidden" name="backurl" value="tallyhouse.cgi?command=view&amp;filename=question1.pol&amp;style=3">
  <p><font face="Arial"><small>Do you like this poll?<br>
  <input type="radio" name="question1.pol" value="yes" checked> yes
  <input type="radio" name="question1.pol" value="no"> no</small></font></p>
  <p><font face="Arial"><small>How do you rate our web site?<br>
  <select name="question2.pol" size="1">
    <option>very good</option>
    <option>good</option>
    <option>average</option>
    <option>poor</option>
  </select></small></font></p>
  <p><input type="submit" value="Send"></p>
</form>
<p><font face="Arial"><small>
The form's source:
</small></font></p>

<pre>
&lt;form method=&quot;GET&quot; action=&quot;tallyhouse.cgi&quot;&gt;
  &lt;input type=&quot;hidden&quot; name=&quot;command&quot; value=&quot;add&quot;&gt;
  &lt;input type=&quot;hidden&quot; name=&quot;backurl&quot; value=&quot;tallyhouse.cgi?command=view&amp;amp;filename=question1.pol&amp;amp;style=3&quot;&gt;
  &lt;p&gt;&lt;font face=&quot;Arial&quot;&gt;&lt;small&gt;Do you like this poll?&lt;br&gt;
  &lt;input type=&quot;radio&quot; name=&quot;question1.pol&quot; value=&quot;yes&quot; checked&gt; yes
  &lt;input type=&quot;radio&quot; name=&quot;question1.pol&quot; value=&quot;no&quot;&gt; no&lt;/small&gt;&lt;/font&gt;&lt;/p&gt;
  &lt;p&gt;&lt;font face=&quot;Arial&quot;&gt;&lt;small&gt;How do you rate our web site?&lt;br&gt;
  &lt;select name=&quot;question2.pol&quot; size=&quot;1&quot;&gt;
    &lt;option&gt;very good&lt;/option&gt;
    &lt;option&gt;good&lt;/option&gt;
    &lt;option&gt;average&lt;/option&gt;
    &lt;option&gt;poor&lt;/option&gt;
  &lt;/select&gt;&lt;/small&gt;&lt;/font&gt;&lt;/p&gt;
  &lt;p&gt;&lt;input type=&quot;submit&quot; value=&quot;Send&quot;&gt;&lt;/p&gt;
&lt;/form&gt;
</pre>
<p><font face="Arial"><small>
<strong>Example view address</strong><br>
This address shows the answers of question1.pol as a pie:<br>
<a href="tallyhouse.cgi?command=view&amp;filename=question1.pol&amp;style=3">tallyhouse.cgi?command=view&amp;filename=question1.pol&amp;style=3</a>
</small></font></p>

<p><font face="Arial"><small>
More examples:<br>
<a href="tallyhouse.cgi?command=view&amp;filename=testenglish&amp;style=1&amp;color=99&amp;legend=no">tallyhouse.cgi?command=view&amp;filename=testenglish&amp;style=1&amp;color=99&amp;legend=no</a>
(each bar in its own colour)<br>
<a href="tallyhouse.cgi?command=view&amp;filename=testdeutsch&amp;style=3&amp;3d=yes&amp;number=Antworten">tallyhouse.cgi?command=view&amp;filename=testdeutsch&amp;style=3&amp;3d=yes&amp;number=Antworten</a>
(a 3D pie with the number of answers)<br>
<a href="tallyhouse.cgi?command=view&amp;filename=question2.pol&amp;style=2&amp;width=300&amp;height=200&amp;marks=no">tallyhouse.cgi?command=view&amp;filename=question2.pol&amp;style=2&amp;width=300&amp;height=200&amp;marks=no</a>
(filled lines, 300 x 200 pixels)<br>
<a href="tallyhouse.cgi?command=view&amp;filename=question2.pol&amp;style=0&amp;border=yes&amp;backcolor=13&amp;marksstyle=value">tallyhouse.cgi?command=view&amp;filename=question2.pol&amp;style=0&amp;border=yes&amp;backcolor=13&amp;marksstyle=value</a>
(bars with border on silver)
</small></font></p>

<p><font face="Arial"><small>
Every parameter that is not given takes an internal standard value.
</small></font></p>

<p><font face="Arial"><small>
More about Tallyhouse:
<a href="http://www.brightloom.example/tallyhouse/">www.brightloom.example/tallyhouse</a><br>
Other programs by Brightloom:
<a href="http://www.brightloom.example/">www.brightloom.example</a>
</small></font></p>

<hr width="550" size="1" color="#4E4E4E">

<p><a name="deutsch"></a><font face="Arial"><strong>Deutsch</strong></font></p>

<p><font face="Arial"><small>
Tallyhouse wird mit den folgenden Parametern aufgerufen:
</small></font></p>

<table border="1" width="550" cellspacing="0" cellpadding="3" bordercolor="#808080">
  <tr>
    <td width="25%" valign="top" bgcolor="#C0C0C0"><font face="Arial"><small><strong>Parameter</strong></small></font></td>
    <td width="25%" valign="top" bgcolor="#C0C0C0"><font face="Arial"><small><strong>Werte</strong></small></font></td>
    <td width="50%" valign="top" bgcolor="#C0C0C0"><font face="Arial"><small>
    <strong>Beschreibung</strong>
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>command</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>view, add, leer</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    <strong>view</strong>: erstellt ein Diagramm einer Umfragedatei (*.pol)<br>
    <strong>add</strong>: fügt Antworten zu beliebig vielen Umfragedateien hinzu<br>
    <strong>leer</strong>: diese Hilfe wird angezeigt
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>backurl<br>(für add)</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>URL</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    beliebige Adresse eines HTML-Dokuments, das nach dem Speichern der Antworten an den
    Client zurückgegeben wird
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>xxx.pol<br>(für add)</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>Antwort</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    beliebige Umfragedatei im Ordner des Programms; eine fehlende wird angelegt (nur wenn die
    Datei tallyhouse.key nicht vorhanden ist); jedes Formularelement mit einem Namen wie
    question1.pol speichert seinen Wert in dieser Umfragedatei
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>filename<br>(für view)</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>xxx.pol, testenglish, testdeutsch</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    beliebige vorhandene Umfragedatei; testenglish und testdeutsch sind die eingebauten
    englischen und deutschen Beispiele
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>style</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>0, 1, 2, 3</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    Art des Diagramms:<br>
    0 = &quot;Balken vertikal&quot;<br>
    1 = &quot;Balken horizontal&quot;<br>
    2 = &quot;gefüllte Linien&quot;<br>
    3 = &quot;Torte&quot;
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>color</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>0 bis 15, 99</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    Farbe des Diagramms aus der Standardpalette mit 16 Farben:<br>
    <font color="#FF0000"><strong>0</strong></font>
    <font color="#008000"><strong>1</strong></font>
    <font color="#FFFF00"><strong>2</strong></font>
    <font color="#0000FF"><strong>3</strong></font>
    <font color="#808080"><strong>5</strong></font>
    <font color="#FF00FF"><strong>6</strong></font>
    <font color="#0080C0"><strong>7</strong></font>
    <font color="#0000A0"><strong>8</strong></font>
    <font color="#800000"><strong>9</strong></font>
    <font color="#00FF00"><strong>10</strong></font>
    <font color="#808000"><strong>11</strong></font>
    <font color="#8000FF"><strong>12</strong></font>
    <font color="#C0C0C0"><strong>13</strong></font>
    <font color="#00FFFF"><strong>14</strong></font>
    <font color="#000000"><strong>15</strong></font>
    (4=white)
    <br>
    99: jeder Teil des Diagramms hat eine andere Farbe
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>height</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>Anzahl Pixel</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    Höhe des Diagramms in Pixeln
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>width</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>Anzahl Pixel</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    Breite des Diagramms in Pixeln
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>border</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>yes oder no</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    Rahmen um das Diagramm anzeigen
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>backcolor</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>0 bis 15</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    Hintergrundfarbe des ganzen Diagramms
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>chartbacktopcolor</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>0 bis 15</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    Hintergrundfarbe des Diagramms (oben)
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>chartbackbottomcolor</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>0 bis 15</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    Hintergrundfarbe des Diagramms (unten)
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>legend</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>yes oder no</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    Legende in der rechten Ecke anzeigen
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>legendstyle</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>value oder percent</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    Legende mit Werten oder Prozentangaben
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>marks</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>yes oder no</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    Beschriftungen im Diagramm anzeigen
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>marksstyle</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>value oder percent</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    Beschriftungen mit Werten oder Prozentangaben
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>number</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>Text</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    wenn nicht leer, wird die Anzahl der Antworten zusammen mit diesem Text über dem
    Diagramm angezeigt
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>numbercolor</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>0 bis 15</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    Farbe der angezeigten Zahl und des Textes
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>3d</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>yes oder no</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    Diagramm in 3D anzeigen
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>3dorthogonal</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>yes oder no</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    3D rechtwinklig; nötig für die folgenden Parameter
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>3drotation</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>270 bis 360</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    Drehung in Grad
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>3delevation</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>270 bis 360</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    Neigung in Grad
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>3dzoom</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>0 bis 200</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    Vergrößerung in Prozent
    </small></font></td>
  </tr>
  <tr>
    <td width="25%" valign="top"><font face="Arial"><small><strong>3ddepth</strong></small></font></td>
    <td width="25%" valign="top"><font face="Arial"><small>1 bis 100</small></font></td>
    <td width="50%" valign="top"><font face="Arial"><small>
    Tiefe des 3D-Diagramms
    </small></font></td>
  </tr>
</table>
<p><font face="Arial"><small>
<strong>Sicherheit</strong><br>
Eine Datei mit dem Namen tallyhouse.key im Ordner des Programms, auch eine leere
Textdatei, verhindert das Anlegen neuer Umfragedateien. Vorhandene Umfragedateien
nehmen weiterhin Antworten an.
</small></font></p>

<p><font face="Arial"><small>
<strong>Probleme beim Anlegen von Umfragedateien</strong><br>
Wenn der Webserver im Ordner des Programms keine Umfragedateien anlegen darf,
legen Sie dort eine leere Textdatei mit dem Namen der Umfragedatei ab (zum
Beispiel question3.pol): sie dient als neue Umfragedatei.
</small></font></p>

<p><font face="Arial"><small>
<strong>Beispielformular</strong><br>
Jede Antwort dieses Formulars wird in der Umfragedatei gespeichert, nach der
ihr Element benannt ist; danach zeigt der Browser das Diagramm von question1.pol:
</small></font></p>

<form method="GET" action="tallyhouse.cgi">
  <input type="hidden" name="command" value="add">
  <input type="hidden" name="backurl" value="tallyhouse.cgi?command=view&amp;filename=question1.pol&amp;style=3">
  <p><font face="Arial"><small>Gefällt Ihnen diese Umfrage?<br>
  <input type="radio" name="question1.pol" value="yes" checked> yes
  <input type="radio" name="question1.pol" value="no"> no</small></font></p>
  <p><font face="Arial"><small>Wie bewerten Sie unsere Website?<br>
  <select name="question2.pol" size="1">
    <option>very good</option>
    <option>good</option>
    <option>average</option>
    <option>poor</option>
  </select></small></font></p>
  <p><input type="submit" value="Senden"></p>
</form>
<p><font face="Arial"><small>
Der Quelltext des Formulars:
</small></font></p>

<pre>
&lt;form method=&quot;GET&quot; action=&quot;tallyhouse.cgi&quot;&gt;
  &lt;input type=&quot;hidden&quot; name=&quot;command&quot; value=&quot;add&quot;&gt;
  &lt;input type=&quot;hidden&quot; name=&quot;backurl&quot; value=&quot;tallyhouse.cgi?command=view&amp;amp;filename=question1.pol&amp;amp;style=3&quot;&gt;
  &lt;p&gt;&lt;font face=&quot;Arial&quot;&gt;&lt;small&gt;Gefällt Ihnen diese Umfrage?&lt;br&gt;
  &lt;input type=&quot;radio&quot; name=&quot;question1.pol&quot; value=&quot;yes&quot; checked&gt; yes
  &lt;input type=&quot;radio&quot; name=&quot;question1.pol&quot; value=&quot;no&quot;&gt; no&lt;/small&gt;&lt;/font&gt;&lt;/p&gt;
  &lt;p&gt;&lt;font face=&quot;Arial&quot;&gt;&lt;small&gt;Wie bewerten Sie unsere Website?&lt;br&gt;
  &lt;select name=&quot;question2.pol&quot; size=&quot;1&quot;&gt;
    &lt;option&gt;very good&lt;/option&gt;
    &lt;option&gt;good&lt;/option&gt;
    &lt;option&gt;average&lt;/option&gt;
    &lt;option&gt;poor&lt;/option&gt;
  &lt;/select&gt;&lt;/small&gt;&lt;/font&gt;&lt;/p&gt;
  &lt;p&gt;&lt;input type=&quot;submit&quot; value=&quot;Senden&quot;&gt;&lt;/p&gt;
&lt;/form&gt;
</pre>
<p><font face="Arial"><small>
<strong>Beispieladresse zur Anzeige</strong><br>
Diese Adresse zeigt die Antworten von question1.pol als Torte:<br>
<a href="tallyhouse.cgi?command=view&amp;filename=question1.pol&amp;style=3">tallyhouse.cgi?command=view&amp;filename=question1.pol&amp;style=3</a>
</small></font></p>

<p><font face="Arial"><small>
Weitere Beispiele:<br>
<a href="tallyhouse.cgi?command=view&amp;filename=testenglish&amp;style=1&amp;color=99&amp;legend=no">tallyhouse.cgi?command=view&amp;filename=testenglish&amp;style=1&amp;color=99&amp;legend=no</a>
(jeder Balken in eigener Farbe)<br>
<a href="tallyhouse.cgi?command=view&amp;filename=testdeutsch&amp;style=3&amp;3d=yes&amp;number=Antworten">tallyhouse.cgi?command=view&amp;filename=testdeutsch&amp;style=3&amp;3d=yes&amp;number=Antworten</a>
(eine 3D-Torte mit der Anzahl der Antworten)<br>
<a href="tallyhouse.cgi?command=view&amp;filename=question2.pol&amp;style=2&amp;width=300&amp;height=200&amp;marks=no">tallyhouse.cgi?command=view&amp;filename=question2.pol&amp;style=2&amp;width=300&amp;height=200&amp;marks=no</a>
(gefüllte Linien, 300 x 200 Pixel)<br>
<a href="tallyhouse.cgi?command=view&amp;filename=question2.pol&amp;style=0&amp;border=yes&amp;backcolor=13&amp;marksstyle=value">tallyhouse.cgi?command=view&amp;filename=question2.pol&amp;style=0&amp;border=yes&amp;backcolor=13&amp;marksstyle=value</a>
(Balken mit Rahmen auf Silber)
</small></font></p>

<p><font face="Arial"><small>
Jeder Parameter, der nicht angegeben wird, erhält einen internen Standardwert.
</small></font></p>

<p><font face="Arial"><small>
Mehr über Tallyhouse:
<a href="http://www.brightloom.example/tallyhouse/">www.brightloom.example/tallyhouse</a><br>
Weitere Programme von Brightloom:
<a href="http://www.brightloom.example/">www.brightloom.example</a>
</small></font></p>

    </td>
  </tr>
</table>
</center></div>

)page") + kPageFooter;

}  // namespace

std::string_view HelpPageTemplate() { return kHelpPage.View(); }

}  // namespace tallyhouse::app
